#include "app/about_box.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <vector>

#include "app/file_version_info.h"
#include "app_test_support.h"

using namespace notarra;

namespace {

// Stands in for the browser: the desktop services hand it every web address.
class TUrlRecorder : public QObject {
  Q_OBJECT

public:
  std::vector<QUrl> opened;
  Q_INVOKABLE void Open(const QUrl& url) { opened.push_back(url); }
};

class AboutBoxTest : public ::testing::Test {
protected:
  void SetUp() override {
    QDesktopServices::setUrlHandler("http", &browser, "Open");
    QDesktopServices::setUrlHandler("https", &browser, "Open");
  }
  void TearDown() override {
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("https");
    QFile::remove(TAboutBox1::ProgramFileName());
  }
  TUrlRecorder browser;
  std::vector<QUrl>& opened = browser.opened;
};

// The test program carries the program's version block too: under the
// program's name in its own folder, it stands for the program file.
void InstallAsProgramFile() {
  QFile::remove(TAboutBox1::ProgramFileName());
  ASSERT_TRUE(QFile::link(QCoreApplication::applicationFilePath(), TAboutBox1::ProgramFileName()));
}

TEST_F(AboutBoxTest, ShowsTheVersionOfTheProgramFileOnly) {
  InstallAsProgramFile();
  apptest::TempDir elsewhere;
  const QString before = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(elsewhere.Path().string()));
  TAboutBox1 box;
  QDir::setCurrent(before);
  EXPECT_EQ(box.windowTitle(), "License & Warranty");
  EXPECT_EQ(box.size(), QSize(402, 391));
  EXPECT_EQ(box.Label1()->text(), NOTARRA_EXPECTED_VERSION);
  EXPECT_EQ(box.Label1()->pos(), QPoint(144, 40));
  // Centred on the screen, also when shown over a window.
  QWidget owner;
  owner.setGeometry(0, 0, 200, 100);
  TAboutBox1 over(&owner);
  over.show();
  // (within the window frame the platform may add)
  EXPECT_LE((over.frameGeometry().center() - over.screen()->availableGeometry().center()).manhattanLength(), 6);

  // One test for both, since they share the file beside the test program.
  // This test program is "app_tests": without the link nothing is called
  // "notarra" beside it.
  QFile::remove(TAboutBox1::ProgramFileName());
  TAboutBox1 renamed;
  EXPECT_EQ(renamed.Label1()->text(), "");
  // A file of that name without a version block shows none either.
  apptest::WriteFile(QFile::encodeName(TAboutBox1::ProgramFileName()).toStdString(), "#!/bin/sh\n");
  TAboutBox1 other;
  EXPECT_EQ(other.Label1()->text(), "");
}

TEST_F(AboutBoxTest, DoubleClickOpensTheWebAddress) {
  TAboutBox1 box;
  ASSERT_TRUE(apptest::ShowActive(&box));
  const QPoint middle = box.Label2()->rect().center();
  QTest::mouseDClick(box.Label2(), Qt::LeftButton, {}, middle);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], QUrl("http://" + box.Label2()->text()));

  box.Label2()->setText("http://example.org/ideas");
  QTest::mouseDClick(box.Label2(), Qt::LeftButton, {}, middle);
  box.Label2()->setText("https://example.org/");
  QTest::mouseDClick(box.Label2(), Qt::LeftButton, {}, middle);
  box.Label2()->setText("example.org/notes");
  QTest::mouseDClick(box.Label2(), Qt::LeftButton, {}, middle);
  ASSERT_EQ(opened.size(), 4u);
  EXPECT_EQ(opened[1], QUrl("http://example.org/ideas"));
  EXPECT_EQ(opened[2], QUrl("https://example.org/"));
  EXPECT_EQ(opened[3], QUrl("http://example.org/notes"));

  // A single click opens nothing; OK closes the box with the OK result.
  QTest::mouseClick(box.Label2(), Qt::LeftButton, {}, middle);
  EXPECT_EQ(opened.size(), 4u);
  auto* ok = box.findChild<QPushButton*>("OKButton");
  ASSERT_NE(ok, nullptr);
  QTest::mouseClick(ok, Qt::LeftButton);
  EXPECT_EQ(box.result(), QDialog::Accepted);
  EXPECT_FALSE(box.isVisible());
}

}  // namespace

#include "about_box_test.moc"
