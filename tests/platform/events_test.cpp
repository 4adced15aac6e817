#include "platform/events.h"

#include <gtest/gtest.h>

#include <string>

using namespace notarra;

namespace {

class Handler : public TComponent {
public:
  int clicks = 0, others = 0, hooks = 0;
  void Click(TObject*) { ++clicks; }
  void Other(TObject*) { ++others; }
  virtual void Hook(TObject*) { ++hooks; }
};

class DerivedHandler : public Handler {
public:
  int derivedHooks = 0;
  void Hook(TObject*) override { ++derivedHooks; }
};

TEST(Events, BoundHandlersCompareByObjectAndMethod) {
  Handler a, b;
  TNotifyEvent e = TNotifyEvent::Bind(&a, &Handler::Click);
  EXPECT_TRUE(e == TNotifyEvent::Bind(&a, &Handler::Click));
  EXPECT_FALSE(e == TNotifyEvent::Bind(&a, &Handler::Other));
  EXPECT_FALSE(e == TNotifyEvent::Bind(&b, &Handler::Click));
  EXPECT_EQ(e.Object(), &a);
  ASSERT_TRUE(e);
  e(nullptr);
  e(&b);
  EXPECT_EQ(a.clicks, 2);

  DerivedHandler d;  // a virtual method reaches the override and keeps its identity
  TNotifyEvent hook = TNotifyEvent::Bind(&d, &Handler::Hook);
  hook(nullptr);
  EXPECT_EQ(d.derivedHooks + 10 * d.hooks, 1);
  EXPECT_TRUE(hook == TNotifyEvent::Bind(&d, &Handler::Hook));
  EXPECT_FALSE(hook == TNotifyEvent::Bind(&d, &Handler::Click));
}

TEST(Events, EmptyAndPlainCallables) {
  TNotifyEvent empty, cleared = nullptr;
  EXPECT_FALSE(empty);
  empty(nullptr);  // does nothing
  EXPECT_TRUE(empty == cleared);
  Handler a;
  EXPECT_FALSE(empty == TNotifyEvent::Bind(&a, &Handler::Click));
  EXPECT_FALSE(TNotifyEvent::Bind(&a, &Handler::Click) == empty);

  // A plain callable equals its copies only, not another made from the same lambda.
  int calls = 0;
  auto lambda = [&calls](TObject*) { ++calls; };
  TNotifyEvent e1 = lambda, e2 = lambda, copy = e1;
  EXPECT_TRUE(e1 == copy);
  EXPECT_FALSE(e1 == e2);
  EXPECT_FALSE(e1 == TNotifyEvent::Bind(&a, &Handler::Click));
  copy(nullptr);
  EXPECT_EQ(calls, 1);
}

TEST(Events, SaveAndRestoreAnotherHandler) {
  // What a filter component does with a dataset's event: install its own
  // handler unless it is there already, and put the previous one back later.
  Handler app, filter;
  TNotifyEvent slot = TNotifyEvent::Bind(&app, &Handler::Click);
  TNotifyEvent saved;
  for (int i = 0; i < 2; ++i) {
    TNotifyEvent mine = TNotifyEvent::Bind(&filter, &Handler::Other);
    if (!(slot == mine)) {
      saved = slot;
      slot = mine;
    }
  }
  slot(nullptr);
  EXPECT_EQ(filter.others, 1);
  slot = saved;
  slot(nullptr);
  EXPECT_EQ(app.clicks, 1);
}

TEST(Events, ReferenceParametersReachTheCaller) {
  struct Filter {
    int limit = 3;
    void Accept(int value, bool& accept) { accept = value < limit; }
  } f;
  auto e = TEvent<int, bool&>::Bind(&f, &Filter::Accept);
  bool accept = true;
  e(5, accept);
  EXPECT_FALSE(accept);
  e(1, accept);
  EXPECT_TRUE(accept);
  std::string seen;
  TEvent<const std::string&> text = [&seen](const std::string& s) { seen = s; };
  text("hello");
  EXPECT_EQ(seen, "hello");
}

}  // namespace
