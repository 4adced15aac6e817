// Edit masks: "mask;save-literals;blank". Mask characters: L (letter) l
// (letter, optional) A a (letter or digit) C c (any character) 0 9 (digit)
// # (digit or sign, optional), ">" upper-cases and "<" lower-cases what
// follows ("<>" switches case conversion off), "\" takes the next character
// as a literal, ":" and "/" stand for the locale's time and date
// separators, "_" a blank literal, "!" puts optional blanks in front
// instead of at the end; anything else is a literal. The second field is 0
// when literals are left out of the saved text (default: saved), the third
// the character shown in empty positions (default "_").
// No Qt here: the masked edit and the fields share this.
#pragma once

#include <string>
#include <vector>

namespace notarra {

class TEditMask {
public:
  enum class Case { None, Upper, Lower };
  struct Position {
    bool literal = false;
    char ch = 0;      // the literal, or the mask character of an input position
    bool required = false;
    Case caseMode = Case::None;
  };

  TEditMask() = default;
  explicit TEditMask(const std::string& mask);

  bool Empty() const { return positions_.empty(); }
  int Length() const { return static_cast<int>(positions_.size()); }
  const Position& At(int i) const { return positions_[static_cast<size_t>(i)]; }
  bool SaveLiterals() const { return saveLiterals_; }
  char Blank() const { return blank_; }
  bool LeadingBlanks() const { return leadingBlanks_; }

  // Whether c may go into input position i; the case conversion applied.
  bool Accepts(int i, char c, char& converted) const;
  // The edit text (literals and blanks) for a value: with SaveLiterals the
  // value holds literals at their positions, otherwise only input characters.
  std::string Format(const std::string& value) const;
  // The value of an edit text: blanks become spaces; literals stay only
  // with SaveLiterals.
  std::string Unformat(const std::string& editText) const;
  // The first required input position that is blank or holds a character
  // the position refuses, or -1.
  int FirstInvalid(const std::string& editText) const;
  // The first input position at or after i (-1 when none), before i (-1).
  int NextInput(int i) const;
  int PriorInput(int i) const;

private:
  std::vector<Position> positions_;
  bool saveLiterals_ = true;
  bool leadingBlanks_ = false;
  char blank_ = '_';
};

// Letters of Windows-1252 (accented ones included).
bool IsAnsiLetter(unsigned char c);

}  // namespace notarra
