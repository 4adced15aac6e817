// A lookup of items by name without regard to letter case, with the code
// page's letters exactly as AnsiSameText compares them (two names are the
// same when their AnsiLowerChar bytes are). Where several items share a
// name the first one added wins, as a scan from the front finds it. Lists of
// fields use it so that opening a table of thousands of fields does not scan
// once per field.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/codepage.h"

namespace notarra {

// Hash and equality of names under AnsiSameText's rule, for unordered containers.
struct TAnsiTextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const noexcept;
};
struct TAnsiTextEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept { return AnsiSameText(a, b); }
};

template <typename T>
class TNameIndex {
public:
  // Keeps an earlier item of the same name.
  void Add(std::string_view name, T* item) {
    if (map_.find(name) == map_.end()) map_.emplace(std::string(name), item);
  }
  T* Find(std::string_view name) const {
    auto it = map_.find(name);
    return it == map_.end() ? nullptr : it->second;
  }
  void Clear() { map_.clear(); }
  std::size_t Size() const { return map_.size(); }
  void Reserve(std::size_t count) { map_.reserve(count); }

private:
  std::unordered_map<std::string, T*, TAnsiTextHash, TAnsiTextEqual> map_;
};

}  // namespace notarra
