// Start-up of the program: creating the main window over a data folder
// (opening the three tables) until the window has painted for the first
// time, offscreen. Demo data (the sample tables) and a 100,000-idea table.
#include <benchmark/benchmark.h>

#include <QDir>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "app/main_window.h"
#include "gui/application.h"
#include "paint_watch.h"
#include "platform/services.h"
#include "tableengine/vela_table.h"
#include "tools/idea_generator.h"
#include "tools/idea_schema.h"

using namespace notarra;

namespace {

namespace fs = std::filesystem;

fs::path MakeDataFolder(int ideas) {
  const fs::path dir = fs::temp_directory_path() /
                       ("notarra-startup-" + std::to_string(::getpid()) + "-" + std::to_string(ideas));
  fs::remove_all(dir);
  fs::create_directories(dir);
  TVelaCursor ideaTable, groups, user;
  if (ideas < 0) {
    AddIdeaFields(ideaTable);
    AddSampleIdeas(ideaTable);
  } else {
    GenerateIdeas(ideaTable, ideas, 42);
  }
  AddGroupFields(groups);
  AddSampleGroups(groups);
  AddUserFields(user);
  AddSampleUser(user);
  ideaTable.SaveToFile((dir / kIdeaTableName).string(), 0, false, "");
  groups.SaveToFile((dir / kGroupTableName).string(), 0, false, "");
  user.SaveToFile((dir / kUserTableName).string(), 0, false, "");
  return dir;
}

void StartUp(benchmark::State& state, int ideas) {
  const fs::path dir = MakeDataFolder(ideas);
  const QString before = QDir::currentPath();
  for (auto _ : state) {
    QDir::setCurrent(QString::fromStdString(dir.string()));
    TfrmBlog window;
    window.show();
    benchsupport::WaitForPaint(&window);
    if (!window.BlogI_()->Active()) state.SkipWithError("the idea table did not open");
    state.PauseTiming();
    window.close();
    state.ResumeTiming();
  }
  QDir::setCurrent(before);
  fs::remove_all(dir);
}

void BM_StartUpDemo(benchmark::State& state) { StartUp(state, -1); }
void BM_StartUp100k(benchmark::State& state) { StartUp(state, 100000); }
BENCHMARK(BM_StartUpDemo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUp100k)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  app.SetTitle("Notarra");
  SetMessageService(nullptr);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
