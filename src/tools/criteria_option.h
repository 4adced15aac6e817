// --criteria JSON for dump and count: filter criteria as the program's
// filter dialog builds them, applied to an open table through the filter
// component. The component must stay alive while the table is read.
#pragma once

#include <memory>
#include <string>

#include "dataset/data_source.h"
#include "filterdialog/filter_dialog.h"

namespace notarra {

class TVelaTable;

class TCriteriaFilter {
public:
  // Parses the JSON list (TUsageError when it is not well formed) and
  // filters the open table by it (TToolError when a value cannot be read).
  TCriteriaFilter(const std::string& json, TVelaTable& table);

private:
  TDataSource source_;
  TsfFilterDialog dialog_;
};

}  // namespace notarra
