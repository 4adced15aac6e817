// TVelaPopupData: the lookup list a data edit drops down, a TPopupDataList
// with a second way to search. With vksFindFirst typing moves to the first
// row that starts with the typed text (the base list's search). With
// vksFilter typing narrows the list dataset to the rows whose searched
// field (the list field at ListFieldIndex) contains the typed text in any
// letter case: Backspace removes a character, Escape clears the text, and
// every key re-filters the dataset.
//
// The filter works through a hook on the list dataset, installed by the
// edit when it opens the list and removed when it closes it (and when the
// list is destroyed). While installed, the dataset's own OnFilterRecord
// still decides first when its filtering was on; removing the hook puts
// back exactly the dataset's own OnFilterRecord and Filtered.
#pragma once

#include <string>

#include "dataset/dataset.h"
#include "gui/popup_data_list.h"

namespace notarra {

enum TVelaKindSearch { vksFindFirst, vksFilter };

class TVelaPopupData : public TPopupDataList {
  Q_OBJECT

public:
  explicit TVelaPopupData(QWidget* owner);
  ~TVelaPopupData() override;

  TVelaKindSearch KindSearch() const { return kindSearch_; }
  void SetKindSearch(TVelaKindSearch value) { kindSearch_ = value; }
  // The filter's search text (vksFilter).
  const std::string& FilterText() const { return filterText_; }

  void InstallFilterHook();
  void RemoveFilterHook();
  bool HookInstalled() const { return hookInstalled_; }

  bool ForwardKey(QKeyEvent* event) override;

private:
  void FilterRecord(TDataSet* dataSet, bool& accept);
  void ApplyFilter();

  std::string filterText_;
  std::string upperFilterText_;
  TVelaKindSearch kindSearch_ = vksFindFirst;
  bool savedFiltered_ = false;
  TFilterRecordEvent savedOnFilterRecord_;
  std::string searchFieldName_;
  bool hookInstalled_ = false;
  TField* searchField_ = nullptr;
};

}  // namespace notarra
