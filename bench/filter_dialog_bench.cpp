// The filter dialog in the running window on a million ideas: from the
// click on OK to the filtered idea table with the window repainted,
// offscreen. One value criterion (Group, exact "Cooking") and one date range
// (PubDate 1/1/2005 to 12/31/2015). Setting the dialog up and removing the
// filter between runs are not timed.
#include <benchmark/benchmark.h>

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include <unistd.h>

#include "app/main_window.h"
#include "filterdialog/date_edit.h"
#include "filterdialog/filter_dialog.h"
#include "filterdialog/filter_form.h"
#include "gui/application.h"
#include "gui/mask_edit.h"
#include "platform/format_settings.h"
#include "platform/services.h"
#include "tableengine/vela_table.h"
#include "tools/idea_generator.h"
#include "tools/idea_schema.h"

using namespace notarra;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kIdeas = 1000000;

// A data folder with a million generated ideas and the sample groups and captions.
struct DataFolder {
  fs::path dir = fs::temp_directory_path() / ("notarra-filterdialog-bench-" + std::to_string(::getpid()));
  DataFolder() {
    fs::remove_all(dir);
    fs::create_directories(dir);
    TVelaCursor ideas, groups, user;
    GenerateIdeas(ideas, kIdeas, 1);
    AddGroupFields(groups);
    AddSampleGroups(groups);
    AddUserFields(user);
    AddSampleUser(user);
    ideas.SaveToFile((dir / kIdeaTableName).string(), 0, false, "");
    groups.SaveToFile((dir / kGroupTableName).string(), 0, false, "");
    user.SaveToFile((dir / kUserTableName).string(), 0, false, "");
  }
  ~DataFolder() { fs::remove_all(dir); }
};

// Made once for the run; main frees both while the application still exists
// (a window destroyed after it crashes at exit) and the folder goes with them.
std::unique_ptr<DataFolder> g_folder;
std::unique_ptr<TfrmBlog> g_window;

TfrmBlog& Window() {
  if (!g_window) {
    g_folder = std::make_unique<DataFolder>();
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(g_folder->dir.string()));
    g_window = std::make_unique<TfrmBlog>();
    QDir::setCurrent(before);
    g_window->show();
    if (!QTest::qWaitForWindowExposed(g_window.get())) std::fprintf(stderr, "the window was not shown\n");
  }
  return *g_window;
}

void SelectField(TsfFilterDlg& form, const char* name) {
  const auto items = form.FieldsListBox()->findItems(name, Qt::MatchExactly);
  if (!items.isEmpty()) form.FieldsListBox()->setCurrentItem(items.front());
}

// One Set Filter: fill drives the dialog, the time runs from OK on.
void FilterThroughTheDialog(benchmark::State& state, const std::function<void(TsfFilterDlg&)>& fill) {
  TfrmBlog& window = Window();
  if (!window.BlogI_()->Active() || window.BlogI_()->RecordCount() != kIdeas) {
    state.SkipWithError("the idea table did not open");
    return;
  }
  int shown = 0;
  for (auto _ : state) {
    Clock::time_point start;
    // Waits for the dialog to be up in its modal loop, then fills it and presses OK.
    std::function<void()> press = [&] {
      auto* form = qobject_cast<TsfFilterDlg*>(QApplication::activeModalWidget());
      if (form == nullptr || !form->isVisible()) {
        QTimer::singleShot(5, press);
        return;
      }
      fill(*form);
      start = Clock::now();
      form->OKButton()->click();
    };
    QTimer::singleShot(0, press);
    window.Filter1()->trigger();
    window.repaint();
    const Clock::time_point end = Clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    shown = window.BlogI_()->RecordCount();
    window.RemoveFilter1()->trigger();
  }
  state.counters["shown"] = shown;
}

void BM_OkToFilteredListValue(benchmark::State& state) {
  FilterThroughTheDialog(state, [](TsfFilterDlg& form) {
    SelectField(form, "Group");
    form.FilterValueEdit()->SetText("Cooking");
    form.MatchTypeItem(0)->setChecked(true);
  });
}

void BM_OkToFilteredListDateRange(benchmark::State& state) {
  FilterThroughTheDialog(state, [](TsfFilterDlg& form) {
    SelectField(form, "PubDate");
    form.MinDateEdit()->SetText("1/1/2005");
    form.MaxDateEdit()->SetText("12/31/2015");
  });
}

BENCHMARK(BM_OkToFilteredListValue)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OkToFilteredListDateRange)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  app.SetTitle("Notarra");
  SetMessageService(nullptr);
  // The bounds below are written in US English dates.
  FormatSettings() = TFormatSettings::UsEnglish();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_window.reset();
  g_folder.reset();
  return 0;
}
