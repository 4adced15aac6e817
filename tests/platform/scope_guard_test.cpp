#include "platform/scope_guard.h"

#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace notarra {
namespace {

TEST(ScopeGuard, ScopeExitRunsAtEveryEndUnlessDismissed) {
  int lock = 1;
  {
    ScopeExit unlock([&] { --lock; });
    EXPECT_EQ(lock, 1);  // not before the scope ends
  }
  EXPECT_EQ(lock, 0);

  lock = 1;
  EXPECT_THROW(
      {
        ScopeExit unlock([&] { --lock; });
        throw std::runtime_error("body");
      },
      std::runtime_error);
  EXPECT_EQ(lock, 0);

  lock = 1;
  {
    ScopeExit unlock([&] { --lock; });
    unlock.Dismiss();
  }
  EXPECT_EQ(lock, 1);
}

TEST(ScopeGuard, ScopeFailRunsOnlyWhenAnErrorLeavesTheScope) {
  std::vector<std::string> undone;
  {
    ScopeFail undo([&] { undone.push_back("kept"); });
  }
  EXPECT_TRUE(undone.empty());
  EXPECT_THROW(
      {
        ScopeFail undo([&] { undone.push_back("undone"); });
        throw std::runtime_error("body");
      },
      std::runtime_error);
  EXPECT_EQ(undone, std::vector<std::string>{"undone"});

  // A guard made while an error is already unwinding (in a destructor, say)
  // only reacts to a new one.
  undone.clear();
  struct Inner {
    std::vector<std::string>* log;
    ~Inner() {
      ScopeFail undo([&] { log->push_back("inner"); });
    }
  };
  EXPECT_THROW(
      {
        Inner inner{&undone};
        throw std::runtime_error("outer");
      },
      std::runtime_error);
  EXPECT_TRUE(undone.empty());
}

TEST(ScopeGuard, CleanupsRunInReverseOrder) {
  std::string order;
  {
    ScopeExit first([&] { order += "1"; });
    ScopeExit second([&] { order += "2"; });
  }
  EXPECT_EQ(order, "21");
}

TEST(ScopeGuard, ACleanupErrorReachesTheCallerOnlyWhenNothingElseIsInFlight) {
  // Normal end: the cleanup's error is the caller's, as if written after the block.
  bool bodyFinished = false;
  try {
    ScopeExit fail([] { throw std::runtime_error("cleanup"); });
    bodyFinished = true;
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "cleanup");
  }
  EXPECT_TRUE(bodyFinished);
  // Left by an error: that first error is the one reported, for both guards.
  try {
    ScopeExit fail([] { throw std::runtime_error("cleanup"); });
    ScopeFail failToo([] { throw std::logic_error("undo"); });
    throw std::runtime_error("body");
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "body");
  }
  // A guard with nothing to report stays silent.
  EXPECT_NO_THROW({ ScopeExit quiet([] {}); });
}

}  // namespace
}  // namespace notarra
