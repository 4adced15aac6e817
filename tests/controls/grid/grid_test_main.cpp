// The data grid tests run on Qt's offscreen platform, so they need no display.
#include <gtest/gtest.h>

#include "gui/application.h"
#include "platform/services.h"

using namespace notarra;

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  // Tests start from the console services and install what they need.
  SetMessageService(nullptr);
  SetBusyCursorService(nullptr);
  SetPasswordPrompt(nullptr);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
