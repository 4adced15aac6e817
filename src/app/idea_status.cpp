#include "app/idea_status.h"

#include <QCoreApplication>
#include <QLabel>
#include <QStatusBar>

#include "dataset/data_source.h"
#include "tableengine/record_store.h"
#include "tableengine/vela_dataset.h"

namespace notarra {

namespace {

constexpr int kSavedShownMs = 4000;

// Every idea of the table, whatever a filter shows.
int AllIdeas(const TVelaDataset& ideas) {
  const TVelaCursor* store = ideas.Store();
  if (!store) return 0;
  int n = 0;
  for (const TVelaRecord* r : store->Records()) n += r->Live();
  return n;
}

}  // namespace

TIdeaStatus::TIdeaStatus(QStatusBar* bar, TDataSource* ideas)
    : bar_(bar), count_(new QLabel(bar)), filter_(new QLabel(bar)) {
  count_->setObjectName("IdeaCount");
  filter_->setObjectName("FilterState");
  bar->addPermanentWidget(filter_);
  bar->addPermanentWidget(count_);
  SetDataSource(ideas);
  Update();
}

QString TIdeaStatus::CountOf(int shown, int all, bool narrowed) {
  if (narrowed && all == 1) return QCoreApplication::translate("TIdeaStatus", "%1 of 1 idea").arg(shown);
  if (narrowed) return QCoreApplication::translate("TIdeaStatus", "%1 of %2 ideas").arg(shown).arg(all);
  if (shown == 1) return QCoreApplication::translate("TIdeaStatus", "1 idea");
  return QCoreApplication::translate("TIdeaStatus", "%1 ideas").arg(shown);
}

QString TIdeaStatus::CountText() const { return count_->text(); }
QString TIdeaStatus::FilterText() const { return filter_->text(); }

void TIdeaStatus::ShowSaved() { bar_->showMessage(QCoreApplication::translate("TIdeaStatus", "Saved"), kSavedShownMs); }

void TIdeaStatus::Update() {
  const auto* ideas = dynamic_cast<const TVelaDataset*>(DataSet());
  if (!Active() || !ideas) {
    count_->clear();
    filter_->clear();
    return;
  }
  const bool filtered = ideas->Filtered();
  const bool narrowed = filtered || !ideas->SearchText().empty();
  const int shown = ideas->RecordCount();
  count_->setText(CountOf(shown, narrowed ? AllIdeas(*ideas) : shown, narrowed));
  filter_->setText(filtered ? QCoreApplication::translate("TIdeaStatus", "Filtered") : QString());
}

}  // namespace notarra
