// The program's tests run on Qt's offscreen platform with the program's
// application object and help viewer.
//
// "app_tests --post-and-wait DIR" is not a test run: it is the program
// itself as a child process of a test. It opens the window on DIR, posts one
// new idea, says "posted" on standard output and runs until a signal ends it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include <QDir>
#include <QSettings>

#include "app/help_window.h"
#include "app/main_window.h"
#include "app/quit_signals.h"
#include "gui/application.h"
#include "platform/services.h"
#include "tableengine/vela_table.h"

using namespace notarra;

namespace {

int PostAndWait(TApplication& app, const char* dir) {
  QDir::setCurrent(QString::fromLocal8Bit(dir));
  TfrmBlog window;
  CloseOnQuitSignals(window);
  window.show();
  window.BlogI_()->Append();
  window.BlogI_()->FieldByName("Subject")->SetAsString("Posted before the end");
  window.BlogI_()->Post();
  std::printf("posted\n");
  std::fflush(stdout);
  return app.exec();
}

// Every test starts from no settings: a window that one test closed must not
// bring its size or page into the next.
class ClearSettings : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { QSettings().clear(); }
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Settings and data folders of this test process's own, never the user's,
  // nor another test process's (ctest runs several at once).
  const bool child = argc == 3 && std::strcmp(argv[1], "--post-and-wait") == 0;  // keeps its parent's
  char home[] = "/tmp/notarra-app-home-XXXXXX";
  const bool ownHome = !child && mkdtemp(home) != nullptr;
  if (ownHome) {
    qputenv("XDG_CONFIG_HOME", QByteArray(home) + "/config");
    qputenv("XDG_DATA_HOME", QByteArray(home) + "/data");
  }
  QCoreApplication::setOrganizationName("notarra-tests");
  QCoreApplication::setApplicationName("notarra-tests");
  TApplication app(argc, argv);
  app.SetTitle("Notarra");
  if (child) return PostAndWait(app, argv[2]);
  InstallHelpViewer(app);
  SetMessageService(nullptr);
  SetBusyCursorService(nullptr);
  SetPasswordPrompt(nullptr);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new ClearSettings);
  const int result = RUN_ALL_TESTS();
  if (ownHome) QDir(QString::fromLocal8Bit(home)).removeRecursively();
  return result;
}
