// Printing the list, through the Print button with the printer set to a PDF
// file, read back with poppler's pdftotext and pdftoppm: the ideas shown and
// only those, in their order, the red ones red, a page count that grows.
#include <gtest/gtest.h>

#include <QImage>
#include <QPrinter>
#include <QTest>
#include <cstdio>
#include <memory>

#include "app/idea_search.h"
#include "app_test_support.h"
#include "data_folder.h"
#include "dataset/field_types.h"

namespace {

using namespace apptest;

std::string Shell(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string out;
  char buf[4096];
  for (std::size_t n; pipe && (n = fread(buf, 1, sizeof buf, pipe.get())) > 0;) out.append(buf, n);
  return out;
}

class PrintTest : public ::testing::Test {
protected:
  void Open(int ideas = 0) {
    data = std::make_unique<DataFolder>(ideas);
    window = OpenWindow(*data);
    ASSERT_TRUE(ShowActive(window.get()));
    pdf = *data / "ideas.pdf";
    window->OnSetUpPrinter = [this](QPrinter& printer) {
      ++asked;
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(QString::fromStdString(pdf));
      return answer;
    };
  }
  std::unique_ptr<DataFolder> data;
  std::unique_ptr<TfrmBlog> window;
  std::string pdf;
  int asked = 0;
  bool answer = true;
};

TEST_F(PrintTest, ThePrintButtonPrintsTheIdeasShownInTheirOrderTheRedOnesRed) {
  Open();
  QTest::keyClicks(window->IdeaSearch(), "book");
  std::vector<std::string> shown, hidden;
  TVelaTable* ideas = window->BlogI_();
  for (ideas->First(); !ideas->Eof(); ideas->Next()) shown.push_back(ideas->FieldByName("Subject")->AsString());
  ASSERT_GE(shown.size(), 2u);
  for (const std::string& s : SubjectsOnDisk(*data))
    if (std::find(shown.begin(), shown.end(), s) == shown.end()) hidden.push_back(s);
  ideas->First();

  ClickToolButton(*window, window->PrintButton());
  ASSERT_EQ(asked, 1);
  const std::string text = Shell("pdftotext -layout '" + pdf + "' -");
  std::size_t at = 0;
  for (const std::string& s : shown) {
    const std::size_t found = text.find(s, at);
    EXPECT_NE(found, std::string::npos) << s << " is missing or out of order in:\n" << text;
    if (found != std::string::npos) at = found;
  }
  for (const std::string& s : hidden) EXPECT_EQ(text.find(s), std::string::npos) << s;
  EXPECT_NE(text.find("Subject"), std::string::npos);
  EXPECT_NE(text.find("Page 1"), std::string::npos);
  EXPECT_EQ(window->BlogI_Subject()->AsString(), shown[0]);  // the current idea stays

  // A published idea (after 2000) is printed red, as the list shows it.
  Shell("pdftoppm -r 40 -png -singlefile '" + pdf + "' '" + pdf + "'");
  const QImage page(QString::fromStdString(pdf + ".png"));
  ASSERT_FALSE(page.isNull());
  int red = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      const QColor c = page.pixelColor(x, y);
      red += c.red() > 180 && c.green() < 90 && c.blue() < 90;
    }
  EXPECT_GT(red, 0);
}

TEST_F(PrintTest, ACancelledDialogPrintsNothingAndALongListTakesPages) {
  Open(400);
  answer = false;
  QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(std::filesystem::exists(pdf));

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(pdf));
  const int pages = window->PrintList(&printer);
  EXPECT_GT(pages, 3);
  const std::string text = Shell("pdftotext '" + pdf + "' -");
  EXPECT_EQ(static_cast<int>(std::count(text.begin(), text.end(), '\f')), pages);
  EXPECT_NE(text.find("Page " + std::to_string(pages)), std::string::npos);
}

}  // namespace
