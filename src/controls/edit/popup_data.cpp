#include "controls/edit/popup_data.h"

#include <QKeyEvent>

#include "dataset/field.h"
#include "gui/incremental_search.h"
#include "gui/key_input.h"
#include "platform/codepage.h"

namespace notarra {

TVelaPopupData::TVelaPopupData(QWidget* owner) : TPopupDataList(owner) {}

TVelaPopupData::~TVelaPopupData() { RemoveFilterHook(); }

void TVelaPopupData::InstallFilterHook() {
  TDataSet* dataSet = ListDataSet();
  if (dataSet == nullptr) return;
  filterText_.clear();
  upperFilterText_.clear();
  TField* field = DisplayField();
  searchFieldName_ = field != nullptr ? field->FieldName() : std::string();
  searchField_ = field;
  const auto mine = TFilterRecordEvent::Bind(this, &TVelaPopupData::FilterRecord);
  if (!ListActive() || dataSet->OnFilterRecord == mine) return;
  savedOnFilterRecord_ = dataSet->OnFilterRecord;
  savedFiltered_ = dataSet->Filtered();
  hookInstalled_ = true;
  dataSet->OnFilterRecord = mine;
}

void TVelaPopupData::RemoveFilterHook() {
  TDataSet* dataSet = ListDataSet();
  if (hookInstalled_ && dataSet != nullptr && ListActive() && kindSearch_ == vksFilter) {
    const bool narrowed = dataSet->Filtered() != savedFiltered_ || !filterText_.empty();
    dataSet->OnFilterRecord = savedOnFilterRecord_;
    savedOnFilterRecord_ = nullptr;
    // The dataset's rows were narrowed by the hook: they are rebuilt with
    // its own filtering.
    if (narrowed) dataSet->SetFiltered(savedFiltered_);
  }
  hookInstalled_ = false;
  filterText_.clear();
  upperFilterText_.clear();
}

void TVelaPopupData::FilterRecord(TDataSet* dataSet, bool& accept) {
  accept = true;
  if (savedFiltered_ && savedOnFilterRecord_) savedOnFilterRecord_(dataSet, accept);
  if (!accept || upperFilterText_.empty()) return;
  if (searchField_ == nullptr) return;
  accept = AnsiUpperCase(searchField_->AsString()).find(upperFilterText_) != std::string::npos;
}

void TVelaPopupData::ApplyFilter() {
  TDataSet* dataSet = ListDataSet();
  if (!hookInstalled_ || dataSet == nullptr || !ListActive()) return;
  upperFilterText_ = AnsiUpperCase(filterText_);
  searchField_ = searchFieldName_.empty() ? nullptr : dataSet->FindField(searchFieldName_);
  // The dataset's own filtering stays in force while the text is empty.
  dataSet->SetFiltered(!filterText_.empty() || savedFiltered_);
  ChooseActiveRow();
}

bool TVelaPopupData::ForwardKey(QKeyEvent* event) {
  if (kindSearch_ != vksFilter) return TPopupDataList::ForwardKey(event);
  char c = 0;
  switch (event->key()) {
    case Qt::Key_Backspace:
      if (!filterText_.empty()) filterText_.pop_back();
      break;
    case Qt::Key_Escape:
      filterText_.clear();
      break;
    default:
      if (!TypedChar(event, c) || static_cast<unsigned char>(c) < 32) return TPopupDataList::ForwardKey(event);
      if (static_cast<int>(filterText_.size()) < TIncrementalSearch::kMaxLength) filterText_.push_back(c);
      break;
  }
  ApplyFilter();
  return c != 0;
}

}  // namespace notarra
