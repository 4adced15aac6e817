// The platform services on Qt: message boxes through QMessageBox, the busy
// cursor through QApplication's override cursor, the password prompt
// through TPasswordDialog. The program calls InstallQtServices once after
// creating its QApplication.
#pragma once

#include <QString>

#include "platform/services.h"

namespace notarra {

class TQtMessageService : public TMessageService {
public:
  void Information(const std::string& text) override;
  void Warning(const std::string& text) override;
  void Error(const std::string& text) override;
  bool ConfirmOkCancel(const std::string& text) override;
  bool ConfirmYesNo(const std::string& text) override;
};

class TQtBusyCursorService : public TBusyCursorService {
public:
  void BeginBusy() override;
  void EndBusy() override;
};

// Installs the Qt message service, busy cursor and password prompt.
void InstallQtServices();

// The title of message boxes: the application's title ("Notarra" when none is set).
QString MessageBoxTitle();

}  // namespace notarra
