// The framework's own error texts, in one place so that every raiser uses
// the same words.
#pragma once

namespace notarra {

namespace db_messages {

inline constexpr const char* kDataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* kDataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* kNotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* kDataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* kDataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* kFieldNotFound = "Field '%s' not found";
inline constexpr const char* kFieldRequired = "Field '%s' must have a value";
inline constexpr const char* kFieldReadOnly = "Field '%s' cannot be modified";
inline constexpr const char* kDataSetMissing = "Field '%s' has no dataset";
inline constexpr const char* kFieldAccessError = "Cannot access field '%s' as type %s";
inline constexpr const char* kFieldRangeError = "%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline constexpr const char* kInvalidBoolValue = "'%s' is not a valid boolean value";
inline constexpr const char* kRecordNotFound = "Record not found";
inline constexpr const char* kCircularDataLink = "Circular datalinks are not allowed";
inline constexpr const char* kDataSourceChange = "DataSource cannot be changed";
inline constexpr const char* kFieldIndexError = "Field index out of range";
inline constexpr const char* kLookupInfoError = "Lookup information for field '%s' is incomplete";
inline constexpr const char* kDuplicateFieldName = "Duplicate field name '%s'";
inline constexpr const char* kFieldTypeMismatch = "Type mismatch for field '%s', expecting: %s actual: %s";
inline constexpr const char* kFieldSizeMismatch = "Size mismatch for field '%s', expecting: %d actual: %d";
inline constexpr const char* kUnknownFieldType = "Field '%s' is of an unknown type";
inline constexpr const char* kOperationNotSupported = "Operation not supported";

}  // namespace db_messages

}  // namespace notarra
