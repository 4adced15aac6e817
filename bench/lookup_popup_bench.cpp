// The data edit's lookup list over group tables of 100, 10,000 and 100,000
// names, offscreen: opening the list (which locates the current group),
// one keystroke of the incremental search, and one keystroke of the filter
// search (which re-filters the whole group table).
#include <benchmark/benchmark.h>

#include <QKeyEvent>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "controls/edit/popup_data.h"
#include "controls/edit/vela_db_edit.h"
#include "dataset/data_source.h"
#include "dataset/field.h"
#include "gui/application.h"
#include "platform/services.h"
#include "tableengine/record_values.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"
#include "tools/record_data.h"

using namespace notarra;

namespace {

namespace fs = std::filesystem;

// A group name for row i, in an order unrelated to i.
std::string GroupName(int i, int rows) {
  const long long scrambled = (static_cast<long long>(i) * 7919) % rows;
  return "Group " + std::to_string(100000 + scrambled);
}

// A folder with ideas.d (one idea) and group.d (rows names, CATEGORY
// String(15)), written with the engine's record store.
fs::path MakeTables(int rows) {
  const fs::path dir = fs::temp_directory_path() /
                       ("notarra-lookup-" + std::to_string(::getpid()) + "-" + std::to_string(rows));
  fs::remove_all(dir);
  fs::create_directories(dir);
  TVelaCursor groups;
  groups.AddField("CATEGORY", TVelaFieldKind::SmallStr, 15);
  {
    TRecordData data(groups);
    for (int i = 0; i < rows; ++i) {
      data.Reset();
      record_values::SetText(data.Get(), *groups.FindField("CATEGORY"), GroupName(i, rows));
      groups.AppendRecord(data.Get());
    }
  }
  groups.SaveToFile((dir / "group.d").string(), 0, false, "");
  TVelaCursor ideas;
  ideas.AddField("Group", TVelaFieldKind::SmallStr, 15);
  {
    TRecordData data(ideas);
    record_values::SetText(data.Get(), *ideas.FindField("Group"), GroupName(rows / 2, rows));
    ideas.AppendRecord(data.Get());
  }
  ideas.SaveToFile((dir / "ideas.d").string(), 0, false, "");
  return dir;
}

// The group edit of the Item page over those tables, shown.
struct LookupForm {
  LookupForm(int rows, TVelaKindSearch kind) : dir(MakeTables(rows)) {
    db.SetDatabasePath(dir.string());
    for (auto [table, name] : {std::pair{&ideas, "ideas.d"}, std::pair{&groups, "group.d"}}) {
      table->SetDatabase(&db);
      table->SetTableName(name);
      table->SetLoadMode(lmFile);
    }
    groups.SetIndexFieldNames("CATEGORY");
    ideas.Open();
    groups.Open();
    source.SetDataSet(&ideas);
    window = std::make_unique<QWidget>();
    window->resize(300, 300);
    edit = new TVelaDBEdit(window.get());
    edit->setGeometry(10, 10, 200, 21);
    edit->SetDialogStyle(vdsLookup);
    edit->SetLookupDataSet(&groups);
    edit->LookupProps().SetKindSearch(kind);
    edit->LookupProps().SetSourceKeyField("Group");
    edit->LookupProps().SetLookupKeyField("CATEGORY");
    edit->LookupProps().SetListFieldNames("CATEGORY");
    edit->SetStyle(vcsDropDownList);
    edit->SetDataSource(&source);
    edit->SetDataField("Group");
    window->show();
    edit->setFocus();
    QCoreApplication::processEvents();
  }
  ~LookupForm() {
    window.reset();
    ideas.Close();
    groups.Close();
    fs::remove_all(dir);
  }
  void Key(int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(edit, &press);
  }

  fs::path dir;
  TVelaDatabase db;
  TVelaTable ideas, groups;
  TDataSource source;
  std::unique_ptr<QWidget> window;
  TVelaDBEdit* edit = nullptr;
};

void BM_OpenLookupList(benchmark::State& state) {
  LookupForm form(static_cast<int>(state.range(0)), vksFindFirst);
  for (auto _ : state) {
    form.edit->DropDown();
    state.PauseTiming();
    if (!form.edit->LookupList()->HasSelection()) state.SkipWithError("the current group was not located");
    form.edit->CloseUp(false);
    state.ResumeTiming();
  }
}

// One character typed into the open list: the search finds the first name
// that starts with the text (late in the table: "Group 1999..").
void BM_IncrementalSearchKey(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  LookupForm form(rows, vksFindFirst);
  form.edit->DropDown();
  const std::string last = "Group " + std::to_string(100000 + rows - 1);
  for (auto _ : state) {
    state.PauseTiming();
    form.edit->LookupList()->ClearSearch();
    for (char c : last.substr(0, last.size() - 1)) form.Key(0, QString(QChar(c)));
    state.ResumeTiming();
    form.Key(0, QString(QChar(last.back())));
  }
  if (form.edit->LookupList()->SelectedItem() != last) state.SkipWithError("the search did not reach the last name");
  form.edit->CloseUp(false);
}

// One character typed into the open list in the filter search: the whole
// group table is filtered again.
void BM_FilterSearchKey(benchmark::State& state) {
  LookupForm form(static_cast<int>(state.range(0)), vksFilter);
  form.edit->DropDown();
  form.Key(0, "9");
  for (auto _ : state) {
    form.Key(0, "9");
    state.PauseTiming();
    form.Key(Qt::Key_Backspace, QString());
    state.ResumeTiming();
  }
  if (form.groups.RecordCount() == 0) state.SkipWithError("the filter hid everything");
  form.edit->CloseUp(false);
}

BENCHMARK(BM_OpenLookupList)->Arg(100)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IncrementalSearchKey)->Arg(100)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterSearchKey)->Arg(100)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  SetMessageService(nullptr);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
