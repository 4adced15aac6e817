#include "tableengine/vela_database.h"

#include <algorithm>

#include "platform/exceptions.h"
#include "tableengine/vela_dataset.h"

namespace notarra {

namespace {

void AddOnce(std::vector<TVelaDataset*>& list, TVelaDataset* dataset) {
  if (std::find(list.begin(), list.end(), dataset) == list.end()) list.push_back(dataset);
}
void Remove(std::vector<TVelaDataset*>& list, TVelaDataset* dataset) {
  list.erase(std::remove(list.begin(), list.end(), dataset), list.end());
}

}  // namespace

TVelaDatabase::TVelaDatabase(TComponent* owner) : TComponent(owner) {}

TVelaDatabase::~TVelaDatabase() {
  Destroying();
  // The datasets close and forget this database; copies, since closing edits the lists.
  for (TVelaDataset* dataset : std::vector<TVelaDataset*>(open_)) {
    try {
      dataset->Close();
    } catch (...) {
      // A database going away cannot refuse: the dataset is forgotten all the same.
    }
  }
  for (TVelaDataset* dataset : std::vector<TVelaDataset*>(open_)) Remove(open_, dataset);
}

void TVelaDatabase::SetDatabasePath(const std::string& path) {
  if (path == databasePath_) return;
  databasePath_ = path;
  // Either separator ends a directory: paths may come from other systems.
  if (!databasePath_.empty() && databasePath_.back() != '/' && databasePath_.back() != '\\') databasePath_ += '/';
}

void TVelaDatabase::DatasetOpened(TVelaDataset* dataset) { AddOnce(open_, dataset); }

void TVelaDatabase::DatasetClosed(TVelaDataset* dataset) {
  Remove(open_, dataset);
  Remove(changed_, dataset);
}

void TVelaDatabase::DatasetChanged(TVelaDataset* dataset) { AddOnce(changed_, dataset); }

void TVelaDatabase::DatasetSaved(TVelaDataset* dataset) { Remove(changed_, dataset); }

void TVelaDatabase::SaveDatasets(const std::vector<TVelaDataset*>& datasets) {
  if (changed_.empty()) return;
  const std::vector<TVelaDataset*> list = datasets.empty() ? changed_ : datasets;
  for (TVelaDataset* dataset : list) {
    if (dataset->Database() != this)
      throw EDatabaseError(Format("Dataset %s is not belong to this database", dataset->Name().c_str()));
    if (dataset->State() == dsEdit || dataset->State() == dsInsert) dataset->Post();
    dataset->SaveChanges();
  }
  // Only now, with every file written, do the changes become permanent.
  for (TVelaDataset* dataset : list) dataset->CommitChanges();
}

}  // namespace notarra
