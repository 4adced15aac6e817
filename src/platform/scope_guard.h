// Runs a cleanup when a scope ends. The house way to undo a partial change or
// to restore a state however a block ends: write the cleanup once, beside the
// change, instead of a catch (...) { cleanup; throw; } that repeats the lines
// after the try.
//
//   ++lock_;
//   ScopeExit unlock([&] { --lock_; });
//   Rebuild();            // may throw; the lock is lowered either way
//
// ScopeExit runs its cleanup at every end of the scope (Dismiss() skips it);
// ScopeFail only when the scope is left by an exception.
//
// A cleanup may raise. When the scope ends normally its error goes to the
// caller, as if the cleanup were written after the block. When the scope is
// already being left by an error, that first error is the one reported and the
// cleanup's own error is dropped (two errors in flight would end the program).
#pragma once

#include <exception>
#include <utility>

namespace notarra {

namespace scope_guard_detail {

// Runs cleanup; while an error unwinds, one raised by the cleanup is dropped.
template <class F>
void RunCleanup(F& cleanup, bool unwinding) {
  if (!unwinding) {
    cleanup();
    return;
  }
  try {
    cleanup();
  } catch (...) {
    // A second error while the first one unwinds would terminate: the first is reported.
  }
}

}  // namespace scope_guard_detail

template <class F>
class ScopeExit {
 public:
  explicit ScopeExit(F cleanup) : cleanup_(std::move(cleanup)), exceptions_(std::uncaught_exceptions()) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() noexcept(false) {
    if (armed_) scope_guard_detail::RunCleanup(cleanup_, std::uncaught_exceptions() > exceptions_);
  }
  // The scope succeeded and keeps its change: skip the cleanup.
  void Dismiss() { armed_ = false; }

 private:
  F cleanup_;
  int exceptions_;
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
    if (std::uncaught_exceptions() > exceptions_) scope_guard_detail::RunCleanup(cleanup_, true);
  }

 private:
  F cleanup_;
  int exceptions_;
};

template <class F>
ScopeFail(F) -> ScopeFail<F>;

}  // namespace notarra
