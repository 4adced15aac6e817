// A table as JSON and back.
//
// The document is an object: "kind" ("plain" or "protected"), "record_count"
// (the live records), "trailing_bytes" (only when the file held bytes after
// its last counted record), "notes" (the table's free text), "fields" (one object
// per field: qualifier, name, kind, size, default, extra) and, when records
// are asked for, "records" (one object per record keyed by field name, in
// field order; values as field_values.h describes).
#pragma once

#include <ostream>
#include <string_view>

#include "tableengine/record_store.h"

namespace notarra {

// Streams the table's JSON; records in store order when withRecords is set.
// Records in store order, or in the given order.
void WriteTableJson(const TVelaCursor& cursor, bool withRecords, std::ostream& out,
                    const TVelaRecordList* order = nullptr);

// One record's data area as the object "records" holds for it, and a newline.
void WriteRecordJson(const TVelaCursor& cursor, const uint8_t* data, std::ostream& out);

// Fills an empty store with the fields and records a JSON document
// describes, every value kept exactly (AutoInc values included). Raises
// TToolError, naming the record and field, on anything it cannot store.
void ReadTableJson(std::string_view json, TVelaCursor& cursor);

}  // namespace notarra
