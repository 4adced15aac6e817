// The filter dialog's forms are tested on Qt's offscreen platform with the
// program's application object.
#include <gtest/gtest.h>

#include "gui/application.h"
#include "platform/services.h"

using namespace notarra;

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  app.SetTitle("Notarra");
  SetMessageService(nullptr);
  SetBusyCursorService(nullptr);
  SetPasswordPrompt(nullptr);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
