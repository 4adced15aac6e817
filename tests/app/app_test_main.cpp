// The program's tests run on Qt's offscreen platform with the program's
// application object and help viewer.
#include <gtest/gtest.h>

#include "app/help_window.h"
#include "gui/application.h"
#include "platform/services.h"

using namespace notarra;

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  app.SetTitle("Notarra");
  InstallHelpViewer(app);
  SetMessageService(nullptr);
  SetBusyCursorService(nullptr);
  SetPasswordPrompt(nullptr);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
