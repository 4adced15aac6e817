// A table's records as CSV (RFC 4180, UTF-8, a header row of field names)
// and back.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "tableengine/record_store.h"

namespace notarra {

// Header row and every live record in store order, or in the given order.
// A null value is an empty cell.
void WriteTableCsv(const TVelaCursor& cursor, std::ostream& out, const TVelaRecordList* order = nullptr);
// The same as one text.
std::string TableCsvText(const TVelaCursor& cursor, const TVelaRecordList* order = nullptr);

// Adds the CSV's rows to the store as new records, the way the store adds
// records (the autoincrement field gets fresh values from its counter). The
// header names the fields, without regard to letter case; fields it leaves
// out are empty. Raises TToolError naming the record and field on bad input;
// the store may then hold part of the rows, so the caller must not save it.
// Returns the number of records added.
int ImportTableCsv(std::string_view csv, TVelaCursor& cursor);

}  // namespace notarra
