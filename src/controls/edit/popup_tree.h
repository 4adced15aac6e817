// TVelaPopupTree: the tree a data edit drops down. Each node carries the
// unique value of its row (at most 255 characters) besides its text; the
// edit stores the unique value and shows the node's path. It is a popup
// window of the edit: keys typed in the edit reach it through ForwardKey,
// and its mouse release goes to OnMouseUp.
#pragma once

#include <QTreeWidget>
#include <string>

#include "gui/popup_behavior.h"

namespace notarra {

class TVelaPopupTree : public QTreeWidget {
  Q_OBJECT

public:
  static constexpr std::size_t kMaxUniqueLength = 255;

  explicit TVelaPopupTree(QWidget* owner);
  ~TVelaPopupTree() override;

  TPopupBehavior* Behavior() const { return behavior_; }

  // Adds a node under parent (top level when null); a longer unique value
  // is cut to its first 255 characters.
  QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const std::string& text, const std::string& unique);
  static std::string NodeText(const QTreeWidgetItem* node);
  static std::string UniqueValue(const QTreeWidgetItem* node);
  bool HasNodes() const { return topLevelItemCount() > 0; }
  // The first node, in the tree's order, whose unique value is exactly unique.
  QTreeWidgetItem* FindNode(const std::string& unique) const;
  // The node's text after its ancestors' texts, separated by separator;
  // empty for no node.
  static std::string NodePath(const QTreeWidgetItem* node, char separator);
  // Makes node the current one and shows it.
  void SelectNode(QTreeWidgetItem* node);

  // Whether a point (viewport coordinates) lies on a node's expand button.
  bool OnExpandButton(const QPoint& pos) const;

  // Up, Down, Page Up, Page Down, Home, End, Left, Right, "+", "-" and
  // typed characters (a search by the start of node texts) move through
  // the tree. True when the key was the tree's.
  bool ForwardKey(QKeyEvent* event);

  TPopupMouseEvent OnMouseUp;

protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  TPopupBehavior* behavior_;
};

}  // namespace notarra
