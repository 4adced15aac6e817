#include "controls/edit/popup_tree.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeWidgetItemIterator>

#include "gui/key_input.h"
#include "gui/qt_text.h"

namespace notarra {

namespace {
// The unique value keeps its Windows-1252 bytes, so that it compares exactly.
constexpr int kUniqueRole = Qt::UserRole + 1;
}  // namespace

TVelaPopupTree::TVelaPopupTree(QWidget* owner) : QTreeWidget(owner), behavior_(new TPopupBehavior(this, owner)) {
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  setColumnCount(1);
  header()->hide();
  setRootIsDecorated(true);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setExpandsOnDoubleClick(false);
  hide();
}

TVelaPopupTree::~TVelaPopupTree() = default;

QTreeWidgetItem* TVelaPopupTree::AddNode(QTreeWidgetItem* parent, const std::string& text, const std::string& unique) {
  auto* node = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
  node->setText(0, ToQString(text));
  const std::string kept = unique.substr(0, std::min(unique.size(), kMaxUniqueLength));
  node->setData(0, kUniqueRole, QByteArray(kept.data(), static_cast<qsizetype>(kept.size())));
  return node;
}

std::string TVelaPopupTree::NodeText(const QTreeWidgetItem* node) {
  return node != nullptr ? FromQString(node->text(0)) : std::string();
}

std::string TVelaPopupTree::UniqueValue(const QTreeWidgetItem* node) {
  if (node == nullptr) return {};
  return node->data(0, kUniqueRole).toByteArray().toStdString();
}

QTreeWidgetItem* TVelaPopupTree::FindNode(const std::string& unique) const {
  for (QTreeWidgetItemIterator it(const_cast<TVelaPopupTree*>(this)); *it != nullptr; ++it)
    if (UniqueValue(*it) == unique) return *it;
  return nullptr;
}

std::string TVelaPopupTree::NodePath(const QTreeWidgetItem* node, char separator) {
  std::string path;
  for (const QTreeWidgetItem* n = node; n != nullptr; n = n->parent())
    path = n == node ? NodeText(n) : NodeText(n) + separator + path;
  return path;
}

void TVelaPopupTree::SelectNode(QTreeWidgetItem* node) {
  setCurrentItem(node);
  if (node != nullptr) scrollToItem(node);
}

bool TVelaPopupTree::OnExpandButton(const QPoint& pos) const {
  const QModelIndex index = indexAt(pos);
  if (!index.isValid() || !model()->hasChildren(index)) return false;
  const QRect item = visualRect(index);
  return pos.x() < item.left() && pos.x() >= item.left() - indentation();
}

bool TVelaPopupTree::ForwardKey(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Plus:
    case Qt::Key_Minus:
      if (currentItem() == nullptr && topLevelItemCount() > 0) {
        setCurrentItem(topLevelItem(0));
        return true;
      }
      keyPressEvent(event);
      return true;
    default:
      break;
  }
  char c = 0;
  if (TypedChar(event, c) && static_cast<unsigned char>(c) > 32) {
    keyboardSearch(event->text());
    return true;
  }
  return false;
}

void TVelaPopupTree::mouseReleaseEvent(QMouseEvent* event) {
  QTreeWidget::mouseReleaseEvent(event);
  OnMouseUp(this, event);
}

}  // namespace notarra
