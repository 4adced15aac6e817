#include "app/about_box.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "app/file_version_info.h"
#include "app_test_support.h"

namespace {

class AboutBoxTest : public ::testing::Test {
protected:
  void SetUp() override {
    previous_ = SetUrlOpener([this](const QUrl& url) {
      opened.push_back(url);
      return true;
    });
  }
  void TearDown() override { SetUrlOpener(previous_); }
  std::vector<QUrl> opened;

private:
  TUrlOpener previous_;
};

TEST_F(AboutBoxTest, ShowsTheProgramVersionWhateverTheWorkingDirectory) {
  apptest::TempDir elsewhere;
  const QString before = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(elsewhere.Path().string()));
  TAboutBox1 box;
  QDir::setCurrent(before);
  EXPECT_EQ(box.windowTitle(), "License & Warranty");
  EXPECT_EQ(box.Label1->text(), NOTARRA_EXPECTED_VERSION);
}

TEST_F(AboutBoxTest, DoubleClickOpensTheWebAddress) {
  TAboutBox1 box;
  ASSERT_TRUE(apptest::ShowActive(&box));
  const QPoint middle = box.Label2->rect().center();
  QTest::mouseDClick(box.Label2, Qt::LeftButton, {}, middle);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], QUrl("http://" + box.Label2->text()));

  box.Label2->setText("http://example.org/ideas");
  QTest::mouseDClick(box.Label2, Qt::LeftButton, {}, middle);
  box.Label2->setText("https://example.org/");
  QTest::mouseDClick(box.Label2, Qt::LeftButton, {}, middle);
  box.Label2->setText("example.org/notes");
  QTest::mouseDClick(box.Label2, Qt::LeftButton, {}, middle);
  ASSERT_EQ(opened.size(), 4u);
  EXPECT_EQ(opened[1], QUrl("http://example.org/ideas"));
  EXPECT_EQ(opened[2], QUrl("https://example.org/"));
  EXPECT_EQ(opened[3], QUrl("http://example.org/notes"));

  // A single click opens nothing; OK closes the box with the OK result.
  QTest::mouseClick(box.Label2, Qt::LeftButton, {}, middle);
  EXPECT_EQ(opened.size(), 4u);
  auto* ok = box.findChild<QPushButton*>("OKButton");
  ASSERT_NE(ok, nullptr);
  QTest::mouseClick(ok, Qt::LeftButton);
  EXPECT_EQ(box.result(), QDialog::Accepted);
  EXPECT_FALSE(box.isVisible());
}

}  // namespace
