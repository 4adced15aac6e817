// TAboutBox1: the licence box, with the program's name, its file version,
// the maker's contact lines and web address, and the licence text.
#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>

class QLabel;

namespace notarra {
class TFileVersionInfo;

class TAboutBox1 : public QDialog {
  Q_OBJECT

public:
  explicit TAboutBox1(QWidget* parent = nullptr);
  ~TAboutBox1() override;

  QLabel* Label1 = nullptr;  // the version
  QLabel* Label2 = nullptr;  // the web address
  TFileVersionInfo* FileVersionInfo1 = nullptr;

  // The address Label2DblClick opens for a label text.
  static QUrl WebAddressUrl(const QString& caption);
  // The file whose version the box shows: "notarra" in the running
  // program's folder (see FormCreate).
  static QString ProgramFileName();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void FormCreate();
  void Label2DblClick();
};

}  // namespace notarra
