#include "gui/incremental_search.h"

#include <chrono>

namespace notarra {

bool TIncrementalSearch::RemoveLast() {
  if (text_.empty()) return false;
  text_.pop_back();
  return true;
}

bool TIncrementalSearch::Add(char c, int64_t nowMs) {
  if (expireMs_ > 0 && nowMs - lastKeyMs_ > expireMs_) text_.clear();
  lastKeyMs_ = nowMs;
  if (static_cast<int>(text_.size()) >= kMaxLength) return false;
  text_.push_back(c);
  return true;
}

int64_t TIncrementalSearch::NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace notarra
