// A table's records as CSV (RFC 4180, UTF-8, a header row of field names)
// and back.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

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

// The same for rows from any source (source names it in a header error):
// header names the fields; next fills
// row with one value per column (nullopt for a null, else the text a CSV
// cell would hold) and where with what names the row beyond its number, and
// returns false after the last row.
using TNextRow = std::function<bool(std::vector<std::optional<std::string>>& row, std::string& where)>;
int ImportTableRows(TVelaCursor& cursor, const std::string& source, const std::vector<std::string>& header,
                    const TNextRow& next);

}  // namespace notarra
