// TVelaMasterLink: ties a detail TVelaDataset to a master data source.
// Whenever the master moves to another record (or one of the master fields
// changes), the detail is restricted by a range over its RangeFieldNames to
// the records whose values equal the master's MasterFields, field by field;
// when the master goes inactive the range is cancelled. An empty
// FieldNames (the detail's MasterFields) never restricts the detail.
#pragma once

#include "dataset/data_link.h"

namespace notarra {

class TField;
class TVelaDataset;

// The framework's master link (FieldNames resolved in the master, the two
// hooks, the detail kept in browse mode) with one restriction: only an
// engine dataset as master moves the detail.
class TVelaMasterLink : public TMasterDataLink {
public:
  explicit TVelaMasterLink(TVelaDataset* detail);

protected:
  void RecordChanged(TField* field) override;
};

}  // namespace notarra
