// TDataSource: the connector between one dataset and the data links of the
// controls that show it. It passes the dataset's notices on to its links
// (while Enabled), follows the dataset's state, and offers Edit for
// controls that start editing on a keystroke (AutoEdit).
#pragma once

#include <vector>

#include "dataset/data_types.h"
#include "platform/component.h"
#include "platform/events.h"

namespace notarra {

class TDataSet;
class TDataLink;
class TField;

// Sender and the changed field (nullptr: the whole record or more).
using TDataChangeEvent = TEvent<TObject*, TField*>;

class TDataSource : public TComponent {
public:
  explicit TDataSource(TComponent* owner = nullptr);
  ~TDataSource() override;

  TDataSet* DataSet() const { return dataSet_; }
  // Raises "Circular datalinks are not allowed" when the dataset depends on this source.
  void SetDataSet(TDataSet* dataSet);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool AutoEdit() const { return autoEdit_; }
  void SetAutoEdit(bool value) { autoEdit_ = value; }
  // The dataset's state, or dsInactive without an enabled dataset.
  TDataSetState State() const { return state_; }
  // Puts the dataset into edit state when AutoEdit is on and it is browsing.
  void Edit();
  // Whether dataSet is this source's dataset's master, directly or further up.
  bool IsLinkedTo(TDataSet* dataSet) const;
  int DataLinkCount() const { return static_cast<int>(dataLinks_.size()); }
  TDataLink* DataLinks(int index) const { return dataLinks_.at(static_cast<std::size_t>(index)); }

  TDataChangeEvent OnDataChange;
  TNotifyEvent OnStateChange;
  TNotifyEvent OnUpdateData;

private:
  friend class TDataSet;
  friend class TDataLink;
  void DataEvent(TDataEvent event, intptr_t info);
  void UpdateState();
  void SetState(TDataSetState value);
  void AddDataLink(TDataLink* link);
  void RemoveDataLink(TDataLink* link);

  TDataSet* dataSet_ = nullptr;
  std::vector<TDataLink*> dataLinks_;
  TDataSetState state_ = dsInactive;
  bool enabled_ = true;
  bool autoEdit_ = true;
};

}  // namespace notarra
