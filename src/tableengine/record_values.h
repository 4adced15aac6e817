// Typed reading and writing of one field's value in a record, for code
// outside the engine (the command-line tool, its tests, the benchmarks). The
// record layout stays the engine's own: nothing outside src/tableengine
// includes data_area.h; it uses these functions instead.
//
// data is a record's data area (TVelaRecord::Data, or one from
// TVelaCursor::AllocRecordData) and f a descriptor of the same store. Each
// function serves the kinds listed with it; for any other kind a getter gives
// 0, false or an empty text and a setter leaves the record alone.
#pragma once

#include <cstdint>
#include <string_view>

#include "dataset/variant.h"
#include "platform/date_time.h"
#include "tableengine/field.h"

namespace notarra {

namespace record_values {

// SmallInt, Integer, AutoInc, Int64; Date as its day number (1 January 0001
// is day 1), Time as milliseconds since midnight. A setter keeps the low bits
// that fit the kind's width (the caller checks the range).
int64_t GetInteger(const uint8_t* data, const TVelaField& f);
void SetInteger(uint8_t* data, const TVelaField& f, int64_t value);

// Boolean (stored as -1 for true, 0 for false).
bool GetBoolean(const uint8_t* data, const TVelaField& f);
void SetBoolean(uint8_t* data, const TVelaField& f, bool value);

// Double, Currency; DateTime as milliseconds counted from day 0.
double GetFloat(const uint8_t* data, const TVelaField& f);
void SetFloat(uint8_t* data, const TVelaField& f, double value);

// SmallStr and String: the characters; Memo, FmtMemo, BLOB, Graphic: the
// bytes. The view lasts until the value changes. A text setter keeps at most
// the field's Size characters.
std::string_view GetText(const uint8_t* data, const TVelaField& f);
void SetText(uint8_t* data, const TVelaField& f, std::string_view value);

// String: the whole text, up to 8191 characters, whatever the declared
// size. The reader keeps such texts from a file (it does not check the size),
// so a writer that gives files back as they were must be able to set them.
// Other kinds as SetText.
void SetWholeText(uint8_t* data, const TVelaField& f, std::string_view value);

// Date, Time and DateTime as a date-time value (days since 30 December 1899).
TDateTime GetDateTime(const uint8_t* data, const TVelaField& f);

// The value as the dataset's fields read it: whole numbers, a boolean, a
// float, a date-time for the calendar kinds, the text for SmallStr and
// String. Null for the BLOB kinds.
TVariant GetVariant(const uint8_t* data, const TVelaField& f);

}  // namespace record_values

}  // namespace notarra
