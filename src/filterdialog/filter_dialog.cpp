#include "filterdialog/filter_dialog.h"

#include "dataset/data_source.h"
#include "dataset/dataset.h"
#include "dataset/field.h"
#include "platform/scope_guard.h"
#include "platform/services.h"

namespace notarra {

namespace {

TsfFilterFormFactory& FormFactory() {
  static TsfFilterFormFactory factory;
  return factory;
}

}  // namespace

std::string TsfSQLTablesCollectionItem::DisplayName(int index) const {
  const std::string& name =
      !TableAliasName.empty() ? TableAliasName : !TableName.empty() ? TableName : std::string("<Unassigned>");
  return std::to_string(index) + " - " + name;
}

void TsfFilterDataLink::ActiveChanged() { dialog_->DataSetActiveChanged(); }

TsfFilterFormFactory TsfFilterDialog::SetFilterFormFactory(TsfFilterFormFactory factory) {
  TsfFilterFormFactory old = std::move(FormFactory());
  FormFactory() = std::move(factory);
  return old;
}

TsfFilterDialog::TsfFilterDialog(TComponent* owner)
    : TsfCustomDialog(owner), dummyForm_(std::make_unique<TsfDummyForm>(this)) {}

TsfFilterDialog::~TsfFilterDialog() {
  Destroying();
  // A dataset must not keep calling a handler that is going away.
  if (filteredDataSet_ != nullptr) {
    if (filteredDataSet_->OnFilterRecord == FilterRecordHandler()) filteredDataSet_->OnFilterRecord = nullptr;
    filteredDataSet_->RemoveFreeNotification(this);
    filteredDataSet_ = nullptr;
  }
  refiltering_ = true;  // leaving the source is not the dataset closing
  dataLink_.SetDataSource(nullptr);
}

TFilterRecordEvent TsfFilterDialog::FilterRecordHandler() const {
  return TFilterRecordEvent::Bind(dummyForm_.get(), &TsfDummyForm::FilterRecord);
}

void TsfFilterDialog::Notification(TComponent* component, TOperation operation) {
  TsfCustomDialog::Notification(component, operation);
  if (operation == opRemove && component == filteredDataSet_) filteredDataSet_ = nullptr;
}

void TsfFilterDialog::SetDataSource(TDataSource* source) {
  // There is no table class of another database layer here, so nothing
  // resets FilterMethod.
  dataLink_.SetDataSource(source);
}

void TsfFilterDialog::SetFilterMethod(TsfFilterMethod value) {
  TDataSet* dataSet = GetDataSet();
  if (dataSet == nullptr || value == fdByFilter) {
    filterMethod_ = value;
    return;
  }
  // No dataset of this system carries a query text to rewrite.
  MessageService().Warning(kInvalidFilterMethod);
}

void TsfFilterDialog::DataSetActiveChanged() {
  if (dataLink_.Active() || refiltering_) return;
  if (onFilterPropertyOptions_.Contains(fdClearWhenCloseDataSet) && filterMethod_ == fdByFilter) ClearFilter();
}

void TsfFilterDialog::ClearFilter() { criteria_.clear(); }

void TsfFilterDialog::RebuildFieldCatalogue() {
  catalogue_.clear();
  TDataSet* dataSet = GetDataSet();
  if (dataSet == nullptr) return;
  for (TField* field : dataSet->Fields()) {
    auto entry = std::make_unique<TsfDBFieldInfo>();
    entry->FieldName = field->FieldName();
    entry->FieldNameOrig = field->FieldName();
    entry->FieldType = field->DataType();
    entry->DisplayLabel = field->DisplayLabel();
    entry->Size = field->Size();
    catalogue_.push_back(std::move(entry));
  }
}

void TsfFilterDialog::ApplyFilter() {
  showDialog_ = false;
  RebuildFieldCatalogue();
  struct Restore {
    bool& flag;
    ~Restore() { flag = true; }
  } restore{showDialog_};
  Execute();
}

bool TsfFilterDialog::Execute() {
  TDataSet* dataSet = GetDataSet();
  if (dataSet == nullptr) return false;
  if (!dataSet->Active() && filterMethod_ == fdByFilter) {
    MessageService().Error(kDataSetMustBeActive);
    return false;
  }
  if (operators_.OrChar() == operators_.AndChar()) MessageService().Warning(kSameAndOr);
  TBusyCursor busy;
  bool apply = true;
  bool result = false;
  if (showDialog_) {
    if (!FormFactory()) return false;  // no window system to show the form
    std::unique_ptr<TsfFilterForm> form = FormFactory()(*this);
    form->SetSizeable(options_.Contains(fdSizeable));
    form->SetCaption(caption_);
    form->FillFieldList(true);
    result = form->ShowModal();
    apply = result && (form->Modified() || !dataSet->Filtered());
    if (apply) {
      TsfFieldInfoList copy = CopyFieldInfoList(form->FieldInfoList());
      for (auto& info : copy) {
        std::string name = FieldNameFromLabel(dataSet, info->DisplayName);
        if (!name.empty()) info->FieldName = name;
      }
      criteria_ = std::move(copy);
    }
  }
  if (apply) {
    ApplyLocally(dataSet);
    result = true;
  }
  return result;
}

void TsfFilterDialog::SwitchFiltered(TDataSet* dataSet) {
  refiltering_ = true;
  ScopeExit lower([&] { refiltering_ = false; });
  // A criterion the record test cannot evaluate: leave the dataset
  // unfiltered with a complete visible list rather than half-built.
  ScopeFail unfilter([&] {
    dataSet->OnFilterRecord = nullptr;
    dataSet->SetFiltered(false);
  });
  // Off first, so that an already filtered dataset tests every record
  // again; switching off a dataset that is not filtered would only
  // rebuild its whole list for nothing.
  if (dataSet->Filtered()) dataSet->SetFiltered(false);
  dataSet->SetFiltered(true);
}

void TsfFilterDialog::ApplyLocally(TDataSet* dataSet) {
  const TsfDatasetFilterType type = filterPropertyOptions_.DatasetFilterType;
  if (type != fdUseOnFilter) {
    if (!ApplyFilterText(dataSet)) return;
    if (type == fdUseFilterProp) return;
  }
  if (!dataSet->Active()) dataSet->Open();
  dataSet->OnFilterRecord = nullptr;
  if (criteria_.empty() && onFilterPropertyOptions_.Contains(fdClearWhenNoCriteria)) {
    refiltering_ = true;
    ScopeExit lower([&] { refiltering_ = false; });
    dataSet->SetFiltered(false);
    return;
  }
  if (filteredDataSet_ != dataSet) {
    if (filteredDataSet_ != nullptr) filteredDataSet_->RemoveFreeNotification(this);
    filteredDataSet_ = dataSet;
    dataSet->FreeNotification(this);
  }
  dataSet->OnFilterRecord = FilterRecordHandler();
  SwitchFiltered(dataSet);
}

}  // namespace notarra
