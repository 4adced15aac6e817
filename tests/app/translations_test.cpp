// The German translation, chosen by the locale: the window's menus, pages,
// search field, format bar and status bar speak German; English needs none.
#include <gtest/gtest.h>

#include <QFile>
#include <QMenuBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTranslator>

#include "app/help_window.h"
#include "app/idea_search.h"
#include "app/idea_status.h"
#include "app/translations.h"
#include "app_test_support.h"
#include "data_folder.h"
#include "filterdialog/filter_texts.h"
#include "gui/format_bar.h"

namespace {

using namespace apptest;

// Takes every translation off the application again, for the tests after.
void RemoveTranslations() {
  for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(t);
    delete t;
  }
}

TEST(Translations, AGermanLocaleGetsTheGermanWindow) {
  DataFolder data;
  const TsfFilterDialogTexts english = FilterDialogTexts();
  ASSERT_TRUE(InstallTranslations(*qApp, QLocale(QLocale::German, QLocale::Germany)));
  auto window = OpenWindow(data);
  RemoveTranslations();
  // The filter dialog's table of texts, filled in German for the program.
  EXPECT_EQ(FilterDialogTexts().BtnNewSearch, "&Neue Suche");
  EXPECT_EQ(FilterDialogTexts().FilterDlgNoCriteria, "Sie haben keine Suchkriterien gew\xE4hlt");
  FilterDialogTexts() = english;
  ASSERT_TRUE(ShowActive(window.get()));
  QStringList menus;
  for (QAction* a : window->menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, QStringList({"&Datei", "&Hilfe"}));
  EXPECT_EQ(window->PageControl1()->tabText(0), "&Liste");
  EXPECT_EQ(window->Print1()->text(), "&Drucken...");
  EXPECT_EQ(window->SaveButton()->toolTip(), "Speichern");
  EXPECT_EQ(window->IdeaSearch()->placeholderText(), "Ideen suchen (Strg+K)");
  EXPECT_EQ(window->FormatBar()->BoldButton()->toolTip(), "Fett (Strg+B)");
  const int ideas = window->BlogI_()->RecordCount();
  EXPECT_EQ(window->IdeaStatus()->CountText(), QString("%1 Ideen").arg(ideas));
}

// The help pages in the locale's language where there are any.
TEST(Translations, HelpPagesFollowTheLocale) {
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const QUrl german = THelpWindow::PageForContext(30);
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  const QUrl french = THelpWindow::PageForContext(30);
  QLocale::setDefault(before);
  EXPECT_EQ(german, QUrl("qrc:/help/de/ideas.html"));
  EXPECT_EQ(french, QUrl("qrc:/help/ideas.html"));  // none in French: English
  QFile page(":/help/de/ideas.html");
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  EXPECT_TRUE(QString::fromUtf8(page.readAll()).contains("Mit Ideen arbeiten"));
}

TEST(Translations, EnglishNeedsNone) {
  EXPECT_FALSE(InstallTranslations(*qApp, QLocale(QLocale::English, QLocale::UnitedStates)));
  RemoveTranslations();
  DataFolder data;
  auto window = OpenWindow(data);
  EXPECT_EQ(window->menuBar()->actions().first()->text(), "&File");
}

}  // namespace
