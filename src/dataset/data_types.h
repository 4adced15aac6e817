// The enumerations and small value types that the dataset framework, the
// table engine and the data-aware controls share: dataset states, data
// events, record-fetch modes and results, bookmark flags, field types and
// kinds, and a small set type for option sets such as TLocateOptions.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/set.h"

namespace notarra {

enum TDataSetState {
  dsInactive,
  dsBrowse,
  dsEdit,
  dsInsert,
  dsSetKey,
  dsCalcFields,
  dsFilter,
  dsNewValue,
  dsOldValue,
  dsInternalCalc,
};

// States in which field values may be written by controls.
inline bool IsEditMode(TDataSetState s) { return s == dsEdit || s == dsInsert || s == dsSetKey; }

enum TDataEvent {
  deFieldChange,
  deRecordChange,
  deDataSetChange,
  deDataSetScroll,
  deLayoutChange,
  deUpdateRecord,
  deUpdateState,
  deCheckBrowseMode,
  dePropertyChange,
  deFieldListChange,
  deFocusControl,
  deParentScroll,
  deConnectChange,
  deReconcileError,
  deDisabledStateChange,
};

enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };
enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };

enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;

enum TFilterOption { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = TSet<TFilterOption>;

enum TResyncModeItem { rmExact, rmCenter };
using TResyncMode = TSet<TResyncModeItem>;

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

// In the traditional order, so that the numeric values match other tools.
enum TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftParadoxOle,
  ftDBaseOle,
  ftTypedBinary,
  ftCursor,
  ftFixedChar,
  ftWideString,
  ftLargeint,
  ftADT,
  ftArray,
  ftReference,
  ftDataSet,
  ftOraBlob,
  ftOraClob,
  ftVariant,
  ftInterface,
  ftIDispatch,
  ftGuid,
  ftTimeStamp,
  ftFMTBcd,
};

// "String", "Integer", ... as used in type-mismatch messages.
const char* FieldTypeName(TFieldType type);
bool IsBlobType(TFieldType type);

// A bookmark is the dataset's own bytes for one record; empty means none.
using TBookmark = std::vector<uint8_t>;

// Record buffers are raw bytes whose layout belongs to the dataset class.
using TRecordBuffer = char*;

}  // namespace notarra
