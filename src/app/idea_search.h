// The tool bar's search field: the idea list narrows, as the person types,
// to the ideas that hold every word in their Subject, Title, Keywords or
// Notes, on top of the filter dialog's filter. Ctrl+K (or the keyboard's
// search key) goes to it; Escape clears it. A long narrowing is worked
// through in slices between events, so typing never waits for it: each
// keystroke drops the work of the one before, and the latest one wins.
#pragma once

#include <QLineEdit>
#include <cstddef>

namespace notarra {

class TVelaDataset;

class TIdeaSearch : public QLineEdit {
  Q_OBJECT

public:
  // Records tested per slice: a few milliseconds' work on a million ideas.
  static constexpr std::size_t kSlice = 100000;

  TIdeaSearch(TVelaDataset* ideas, QWidget* parent, std::size_t slice = kSlice);
  // Whether words typed are still being looked for.
  bool Pending() const;

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  void Narrow(const QString& text);
  void ContinueLater();
  TVelaDataset* ideas_;
  std::size_t slice_;
  bool continuing_ = false;
};

}  // namespace notarra
