// The main window on a data folder, offscreen, the way a person meets it:
// from start to the sorted List painted, a click on a column title that sorts
// the ideas, Save after one edit (with the progress box painted), and closing
// the window. One run per process, so that the start pays for fresh memory as
// a real start does; bench/window_bench.sh runs it on folders of several sizes.
//   window_bench DIR      prints: ideas, start_ms, click_ms (median of 4), save_ms,
//                         progress_paints (during the save), close_ms, private_mb
#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/main_window.h"
#include "controls/grid/db_grid.h"
#include "dataset/field_types.h"
#include "gui/application.h"
#include "gui/progress_dialog.h"
#include "paint_watch.h"
#include "platform/services.h"
#include "process_memory.h"
#include "tableengine/vela_table.h"

using namespace notarra;

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void ClickTitle(TVelaDBGrid* grid, int gridCol) {
  const QPoint at = grid->CellRect(gridCol, 0).center();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: window_bench DIR\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  app.SetTitle("Notarra");
  SetMessageService(nullptr);
  QDir::setCurrent(QString::fromLocal8Bit(argv[1]));

  const auto t0 = Clock::now();
  auto* window = new TfrmBlog();
  window->show();
  benchsupport::WaitForPaint(window->VelaDBGrid1()->viewport());
  const double startMs = Ms(Clock::now() - t0);
  const int ideas = window->BlogI_()->RecordCount();
  const std::size_t privateMb = benchsupport::AnonymousBytes() >> 20;

  // Subject and Group in turn, both in view, so that every click sorts afresh.
  TVelaDBGrid* grid = window->VelaDBGrid1();
  std::vector<double> clicks;
  for (int i = 0; i < 4; ++i) {
    const char* field = i % 2 ? "Group" : "Subject";
    int col = -1;
    for (int c = 0; c < grid->Columns().Count(); ++c)
      if (grid->Columns()[c]->FieldName() == field) col = grid->ColumnIndexToGridCol(c);
    const auto c0 = Clock::now();
    ClickTitle(grid, col);
    benchsupport::WaitForPaint(grid->viewport());
    clicks.push_back(Ms(Clock::now() - c0));
    if (window->BlogI_()->IndexFieldNames() != field) {
      std::fprintf(stderr, "the click on %s did not sort\n", field);
      return 1;
    }
  }
  std::sort(clicks.begin(), clicks.end());

  window->BlogI_()->First();
  window->BlogI_()->Edit();
  window->BlogI_Subject()->SetAsString("Edited by the benchmark");
  window->BlogI_()->Post();
  // How often the progress box was painted while the save worked.
  benchsupport::PaintWatch progress;
  window->ProgressDialog1()->installEventFilter(&progress);
  const auto s0 = Clock::now();
  QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
  const double saveMs = Ms(Clock::now() - s0);
  window->ProgressDialog1()->removeEventFilter(&progress);
  if (window->BlogI_()->ChangesPending()) {
    std::fprintf(stderr, "Ctrl+S did not save\n");
    return 1;
  }

  const auto q0 = Clock::now();
  window->close();
  delete window;
  const double closeMs = Ms(Clock::now() - q0);

  std::printf("ideas %d start_ms %.0f click_ms %.0f save_ms %.0f progress_paints %d close_ms %.0f private_mb %zu\n",
              ideas, startMs, (clicks[1] + clicks[2]) / 2, saveMs, progress.paints, closeMs, privateMb);
  return 0;
}
