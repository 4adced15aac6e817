// The main window's status bar beside the hints: how many ideas there are
// ("N ideas", or "N of M ideas" while a filter or typed words narrow the list), "Filtered"
// while a filter is on, and "Saved" for a few seconds after a save. It follows
// the idea table through a data link; scrolling and typing change no count,
// so they cost nothing.
#pragma once

#include <QString>

#include "dataset/data_link.h"

class QLabel;
class QStatusBar;

namespace notarra {

class TDataSource;
class TVelaDataset;

class TIdeaStatus : public TDataLink {
public:
  TIdeaStatus(QStatusBar* bar, TDataSource* ideas);
  void ShowSaved();
  QString CountText() const;
  QString FilterText() const;

  // "1 idea", "N ideas", "N of M ideas".
  static QString CountOf(int shown, int all, bool narrowed);

protected:
  void ActiveChanged() override { Update(); }
  void DataSetChanged() override { Update(); }
  void DataSetScrolled(int) override {}
  void RecordChanged(TField*) override {}

private:
  void Update();
  QStatusBar* bar_;
  QLabel* count_;
  QLabel* filter_;
};

}  // namespace notarra
