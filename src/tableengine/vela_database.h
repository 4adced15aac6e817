// TVelaDatabase gives its tables a directory, tracks which of them are open
// and which have unsaved changes, and saves a set of them in one call.
#pragma once

#include <string>
#include <vector>

#include "platform/component.h"

namespace notarra {

class TVelaDataset;

class TVelaDatabase : public TComponent {
public:
  explicit TVelaDatabase(TComponent* owner = nullptr);
  ~TVelaDatabase() override;

  // Kept with the component; nothing reads it.
  const std::string& DateFormat() const { return dateFormat_; }
  void SetDateFormat(const std::string& format) { dateFormat_ = format; }
  // The directory of the tables; when not empty it ends with a path separator.
  const std::string& DatabasePath() const { return databasePath_; }
  void SetDatabasePath(const std::string& path);

  // Saves the given datasets, or every dataset with unsaved changes: posts
  // pending edits, writes each file, and only when every write succeeded
  // commits them all. Nothing happens unless some dataset has changes.
  void SaveDatasets(const std::vector<TVelaDataset*>& datasets = {});

  void DatasetOpened(TVelaDataset* dataset);
  void DatasetClosed(TVelaDataset* dataset);
  void DatasetChanged(TVelaDataset* dataset);
  void DatasetSaved(TVelaDataset* dataset);

  const std::vector<TVelaDataset*>& OpenDatasets() const { return open_; }
  const std::vector<TVelaDataset*>& ChangedDatasets() const { return changed_; }

private:
  std::string dateFormat_ = "mm/dd/yyyy";
  std::string databasePath_;
  std::vector<TVelaDataset*> open_;
  std::vector<TVelaDataset*> changed_;
};

}  // namespace notarra
