// notarra: the program. It takes no arguments: the tables are read from the
// working directory (scripts/run.sh starts it in the data folder).
#include "app/help_window.h"
#include "app/main_window.h"
#include "app/quit_signals.h"
#include "gui/application.h"

using namespace notarra;

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  app.SetTitle("Notarra");
  InstallHelpViewer(app);
  TfrmBlog window;
  CloseOnQuitSignals(window);
  window.show();
  const int result = app.exec();
  delete CurrentHelpWindow();  // owner-less, and may still be open
  return result;
}
