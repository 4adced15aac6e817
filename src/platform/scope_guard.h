// Runs a cleanup when a scope ends, however it ends. The house way to undo a
// partial change on failure: write the cleanup once, beside the change, and
// Dismiss() the guard when the cleanup must not run (the change is kept).
//
//   ++lock_;
//   ScopeExit unlock([&] { --lock_; });
//   Rebuild();            // may throw; the lock is lowered either way
//
// The cleanup must not throw: it runs during unwinding.
#pragma once

#include <exception>
#include <utility>

namespace notarra {

template <class F>
class ScopeExit {
 public:
  explicit ScopeExit(F cleanup) : cleanup_(std::move(cleanup)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() {
    if (armed_) cleanup_();
  }
  // The scope succeeded and keeps its change: skip the cleanup.
  void Dismiss() { armed_ = false; }

 private:
  F cleanup_;
  bool armed_ = true;
};

template <class F>
ScopeExit(F) -> ScopeExit<F>;

// Runs the cleanup only when the scope is left by an exception: the undo of
// a change that stands when the scope completes.
template <class F>
class ScopeFail {
 public:
  explicit ScopeFail(F cleanup) : cleanup_(std::move(cleanup)), exceptions_(std::uncaught_exceptions()) {}
  ScopeFail(const ScopeFail&) = delete;
  ScopeFail& operator=(const ScopeFail&) = delete;
  ~ScopeFail() {
    if (std::uncaught_exceptions() > exceptions_) cleanup_();
  }

 private:
  F cleanup_;
  int exceptions_;
};

template <class F>
ScopeFail(F) -> ScopeFail<F>;

}  // namespace notarra
