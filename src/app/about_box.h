// TAboutBox1: the licence box, with the program's name, its file version,
// the maker's contact lines and web address, and the licence text.
#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>
#include <memory>

class QLabel;

namespace notarra {
class TFileVersionInfo;

class TAboutBox1 : public QDialog {
  Q_OBJECT

public:
  explicit TAboutBox1(QWidget* parent = nullptr);
  ~TAboutBox1() override;

  QLabel* Label1() const { return label1_; }  // the version
  QLabel* Label2() const { return label2_; }  // the web address
  TFileVersionInfo* FileVersionInfo1() const { return fileVersionInfo1_.get(); }

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

  QLabel* label1_ = nullptr;
  QLabel* label2_ = nullptr;
  std::unique_ptr<TFileVersionInfo> fileVersionInfo1_;
};

}  // namespace notarra
