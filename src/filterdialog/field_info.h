// One filter criterion (TsfFieldInfo), the operator words a criterion's
// value is split by (TsfFieldOperators) and the tolerance of floating range
// bounds (TsfFilterDialogRounding).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace notarra {

enum TsfFilterMatchType : unsigned char {
  fdMatchStart,
  fdMatchAny,
  fdMatchExact,
  fdMatchEnd,
  fdMatchRange,
  fdMatchNone,
};

class TsfFieldInfo {
public:
  std::string FieldName;
  std::string DisplayName;
  TsfFilterMatchType MatchType = fdMatchStart;
  std::string FilterValue;
  std::string MinValue;
  std::string MaxValue;
  bool CaseSensitive = false;
  bool NonMatching = false;
};

using TsfFieldInfoList = std::vector<std::unique_ptr<TsfFieldInfo>>;

// A deep copy; a source entry without a DisplayName gets its FieldName first.
TsfFieldInfoList CopyFieldInfoList(TsfFieldInfoList& source);

// The three words. Assigning one trims blanks and tabs and warns when two
// of them become equal ignoring case; the new value stays either way.
class TsfFieldOperators {
public:
  const std::string& OrChar() const { return orChar_; }
  const std::string& AndChar() const { return andChar_; }
  const std::string& NullChar() const { return nullChar_; }
  void SetOrChar(const std::string& value) { Assign(orChar_, value); }
  void SetAndChar(const std::string& value) { Assign(andChar_, value); }
  void SetNullChar(const std::string& value) { Assign(nullChar_, value); }
  bool Unique() const;

private:
  void Assign(std::string& slot, const std::string& value);
  std::string orChar_ = "or";
  std::string andChar_ = "and";
  std::string nullChar_ = "null";
};

enum TsfFilterDialogRoundingMethod { fdrmFixed, fdrmRelative };

class TsfFilterDialogRounding {
public:
  double Epsilon() const { return epsilon_; }
  void SetEpsilon(double value) { epsilon_ = value; }
  TsfFilterDialogRoundingMethod RoundingMethod() const { return method_; }
  void SetRoundingMethod(TsfFilterDialogRoundingMethod value) { method_ = value; }

private:
  double epsilon_ = 0.0001;
  TsfFilterDialogRoundingMethod method_ = fdrmFixed;
};

inline constexpr const char* kOperatorsNotUnique = "Operators do not have a unique value.";

}  // namespace notarra
