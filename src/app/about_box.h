// TAboutBox1: the licence box, with the program's name, its file version,
// the maker's contact lines and web address, and the licence text.
#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class TFileVersionInfo;

// How the box opens a web address; tests install their own to keep the
// browser closed. Returns the previous opener.
using TUrlOpener = std::function<bool(const QUrl&)>;
TUrlOpener SetUrlOpener(TUrlOpener opener);

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

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void FormCreate();
  void Label2DblClick();
};
