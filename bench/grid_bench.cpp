// The data grid on tables of 10, 10,000 and 1,000,000 ideas, offscreen:
// painting the full viewport, paging down (a Page Down key and the repaint
// it causes), and a title click that sorts a million ideas. The grid only
// touches the rows it shows, so painting and paging should cost the same
// at every size.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include <unistd.h>

#include "controls/grid/db_grid.h"
#include "dataset/data_source.h"
#include "idea_file.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"
#include "tools/idea_generator.h"
#include "tools/idea_schema.h"

using namespace notarra;

namespace {

namespace fs = std::filesystem;

// A shown grid over one idea table, with the List page's columns.
struct GridOnTable {
  explicit GridOnTable(int ideas) {
    std::string file;
    if (ideas == kIdeas) {
      file = IdeaFilePath();
    } else {
      file = (fs::temp_directory_path() / ("notarra-grid-bench-" + std::to_string(::getpid()) + "-" +
                                           std::to_string(ideas) + ".d"))
                 .string();
      TVelaCursor store;
      GenerateIdeas(store, ideas, 3);
      store.SaveToFile(file, 0, false, "");
      ownFile = file;
    }
    db.SetDatabasePath(fs::path(file).parent_path().string());
    table.SetDatabase(&db);
    table.SetTableName(fs::path(file).filename().string());
    table.SetLoadMode(lmFile);
    table.Open();
    source.SetDataSet(&table);
    grid = std::make_unique<TVelaDBGrid>();
    const char* fields[] = {"Flag", "Subject", "Group", "UserField1", "UserField2",
                            "Title", "Keywords", "Published", "PubDate", "Key"};
    for (const char* f : fields) grid->Columns().Add()->SetFieldName(f);
    grid->Columns()[0]->SetButtonStyle(cbsCheck);
    grid->Columns()[0]->SetValueChecked("True");
    grid->Columns()[1]->SetCanClick(true);
    grid->Columns()[1]->SetWidth(300);
    grid->Columns()[2]->SetCanClick(true);
    grid->OnTitleClick = [this](TVelaCustomDBGrid*, TVelaColumn* c) { table.SetIndexFieldNames(c->FieldName()); };
    grid->OnDrawCellAttr = [this](TVelaCustomDBGrid*, TVelaColumn*, TFont& font, QColor&, TGridDrawState) {
      if (table.FieldByName("Flag")->AsBoolean()) font.Color = QColor(255, 0, 0);
    };
    grid->SetDataSource(&source);
    grid->resize(900, 420);
    grid->show();
    QCoreApplication::processEvents();
  }
  ~GridOnTable() {
    grid.reset();
    source.SetDataSet(nullptr);
    table.Close();
    if (!ownFile.empty()) fs::remove(ownFile);
  }
  void Paint() { grid->viewport()->repaint(); }
  void Key(int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(grid.get(), &press);
  }
  void ClickTitle(int col) {
    const QPointF at = grid->CellRect(col, 0).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &release);
  }

  TVelaDatabase db;
  TVelaTable table;
  TDataSource source;
  std::unique_ptr<TVelaDBGrid> grid;
  std::string ownFile;
};

// One grid per size for the whole run: building the million-idea table is
// not what is measured. They go before the application does.
std::map<int, std::unique_ptr<GridOnTable>> grids;

GridOnTable& Grid(int ideas) {
  auto& g = grids[ideas];
  if (!g) g = std::make_unique<GridOnTable>(ideas);
  return *g;
}

void BM_PaintViewport(benchmark::State& state) {
  GridOnTable& g = Grid(static_cast<int>(state.range(0)));
  g.table.First();
  g.Paint();
  for (auto _ : state) g.Paint();
  state.counters["rows"] = g.grid->DataLink()->RecordCount();
}

void BM_PageDown(benchmark::State& state) {
  GridOnTable& g = Grid(static_cast<int>(state.range(0)));
  g.table.First();
  for (auto _ : state) {
    if (g.table.Eof()) {
      state.PauseTiming();
      g.table.First();
      state.ResumeTiming();
    }
    g.Key(Qt::Key_PageDown);
    g.Paint();
  }
}

void BM_TitleClickSort(benchmark::State& state) {
  GridOnTable& g = Grid(kIdeas);
  g.table.First();
  bool subject = true;
  for (auto _ : state) {
    // Subject and Group in turn (both titles in view), so that every click sorts afresh.
    const char* field = subject ? "Subject" : "Group";
    g.ClickTitle(g.grid->ColumnIndexToGridCol(subject ? 1 : 2));
    g.Paint();
    if (g.table.IndexFieldNames() != field) {
      state.SkipWithError("the click did not reach the title: the table was not sorted");
      break;
    }
    subject = !subject;
  }
  state.counters["ideas"] = g.table.RecordCount();
}

BENCHMARK(BM_PaintViewport)->Arg(10)->Arg(10000)->Arg(kIdeas)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageDown)->Arg(10)->Arg(10000)->Arg(kIdeas)->Iterations(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TitleClickSort)->Iterations(4)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int result = RunBenchmarks(argc, argv);
  grids.clear();
  return result;
}
