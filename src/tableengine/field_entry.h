// A field description entry of the table file, "Qualifier.Name code[~default~extra]"
// without its closing 0x12 (docs/table-format.md): how the reader takes
// one apart and what the writer writes for a descriptor. The reader and the
// writer both use these, so that what is written reads back as the same field.
#pragma once

#include <string>
#include <string_view>

#include "tableengine/field.h"

namespace notarra {

// Parses an entry by the reader's rules into Qualifier, Name, Kind, Size,
// RightAligned, DefaultValue and ExtraText (Entry is left alone). False for
// an entry no field can be made of.
bool ParseFieldEntry(std::string_view entry, TVelaField& field);

// The entry the writer makes from a descriptor's parts: the qualifier, a dot,
// the name with blanks as "_", a blank, the type code, and "~default~extra"
// when either is not empty.
std::string BuiltFieldEntry(const TVelaField& field);

// What the writer writes: Entry when the descriptor carries one, else BuiltFieldEntry.
std::string WrittenFieldEntry(const TVelaField& field);

// Whether two descriptors read from entries are the same field: the parts
// ParseFieldEntry fills.
bool SameEntryParts(const TVelaField& a, const TVelaField& b);

}  // namespace notarra
