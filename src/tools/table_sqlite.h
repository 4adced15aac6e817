// A table's records as a table of a SQLite database, and back, so that ideas
// can be queried with any SQL tool and brought home again.
//
// Column types follow the field kinds: whole numbers and flags (0 or 1) are
// INTEGER, the first autoincrement field is the INTEGER PRIMARY KEY, Double
// and Currency are REAL, dates and times are TEXT in the forms the tool's
// CSV uses (2005-01-31, 13:45:00.000), texts and notes are TEXT in UTF-8,
// BLOB and Graphic are BLOB. A field without a value is NULL.
#pragma once

#include <string>

#include "tableengine/record_store.h"

namespace notarra {

// Writes the live records (store order, or the given order) as table name of
// the database at path, made when absent. All in one transaction: on any
// failure the database is left as it was. A table of that name already
// there is refused unless replace, which drops it in the same transaction.
// Raises TToolError. Returns the number of rows written.
int ExportTableSqlite(const TVelaCursor& cursor, const TVelaRecordList* order, const std::string& path,
                      const std::string& name, bool replace);

// Adds the rows of table name of the database at path to the store, with the
// checks of a CSV import (columns name fields, values must fit them; see
// ImportTableRows). Raises TToolError; the store may then hold part of the
// rows. Returns the number of records added.
int ImportTableSqlite(const std::string& path, const std::string& name, TVelaCursor& cursor);

}  // namespace notarra
