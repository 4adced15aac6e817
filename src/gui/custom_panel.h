// TCustomPanel: a plain panel that other controls are built on (a calendar,
// a calculator). It paints an outer and an inner bevel, each raised,
// lowered or absent, and its children sit inside them. A panel of fixed
// size answers no in CanResize: SetBounds then moves it but keeps its size.
#pragma once

#include <QFrame>

namespace notarra {

enum TBevelCut { bvNone, bvLowered, bvRaised };

class TCustomPanel : public QFrame {
  Q_OBJECT

public:
  explicit TCustomPanel(QWidget* parent = nullptr);

  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut value);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut value);
  // Pixels of one bevel.
  int BevelWidth() const { return 1; }

  // Moves and sizes the panel; the size is whatever CanResize leaves.
  void SetBounds(int left, int top, int width, int height);

protected:
  // Asked with the size wanted; may change it or refuse (false: keep the size).
  virtual bool CanResize(int& width, int& height);

  void paintEvent(QPaintEvent* event) override;

private:
  TBevelCut bevelInner_ = bvNone;
  TBevelCut bevelOuter_ = bvRaised;
};

}  // namespace notarra
