// TfrmBlog: the main window. It owns the database component, the three
// tables with their persistent fields and data sources, and shows the idea
// table on the List, Item and User pages with a tool bar and a main menu.
// Its constructor is the form description; FormCreate opens the tables of
// the working directory.
//
// Every form keeps this shape: its components are private, set once while
// the form builds itself, and read through accessors named like the
// components; the objects are owned by the form (a Qt parent, or the
// components_ owner for the non-visual ones).
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "gui/custom_grid.h"

class QAction;
class QPagedPaintDevice;
class QPrinter;
class QDateTime;
class QMessageBox;
class QLabel;
class QMenu;
class QTabWidget;
class QToolBar;
class QToolButton;
class QWidget;

namespace notarra {
class TBlobField;
class TBooleanField;
class TDBCheckBox;
class TDBEdit;
class TDBMemo;
class TDBNavigator;
class TComponent;
class TDataSet;
class TDataSource;
class TDateField;
class TObject;
class TProgressDialog;
class TAutoIncField;
class TStringField;
class TVelaColumn;
class TVelaCustomDBGrid;
class TVelaDBGrid;
class TIdeaStatus;
class TVelaDatabase;
class TVelaDBEdit;
class TVelaTable;
struct TFont;
class TsfFilterDialog;
class TIdeaSearch;
class TFormatBar;

class TfrmBlog : public QMainWindow {
  Q_OBJECT

public:
  explicit TfrmBlog(QWidget* parent = nullptr);
  ~TfrmBlog() override;

  // The form's components, by their names. The form creates and owns them;
  // callers use them but cannot replace them.

  // --- non-visual components ---
  TVelaDatabase* Veladb() const { return parts_.Veladb; }
  TVelaTable* Userdef_() const { return parts_.Userdef_; }
  TVelaTable* BlogI_() const { return parts_.BlogI_; }
  TVelaTable* Group_() const { return parts_.Group_; }
  TDataSource* dsUserd() const { return parts_.dsUserd; }
  TIdeaStatus* IdeaStatus() const { return ideaStatus_.get(); }
  TIdeaSearch* IdeaSearch() const { return ideaSearch_; }
  TFormatBar* FormatBar() const { return formatBar_; }
  TDataSource* dsBlog() const { return parts_.dsBlog; }
  TDataSource* dsGroup() const { return parts_.dsGroup; }
  TsfFilterDialog* sfFilterD1() const { return parts_.sfFilterD1; }

  TBooleanField* BlogI_Flag() const { return parts_.BlogI_Flag; }
  TStringField* BlogI_Subject() const { return parts_.BlogI_Subject; }
  TStringField* BlogI_Group() const { return parts_.BlogI_Group; }
  TStringField* BlogI_Title() const { return parts_.BlogI_Title; }
  TStringField* BlogI_Keywords() const { return parts_.BlogI_Keywords; }
  TBlobField* BlogI_Notes() const { return parts_.BlogI_Notes; }
  TStringField* BlogI_Published() const { return parts_.BlogI_Published; }
  TDateField* BlogI_PubDate() const { return parts_.BlogI_PubDate; }
  TAutoIncField* BlogI_Key() const { return parts_.BlogI_Key; }
  TStringField* BlogI_UserField1() const { return parts_.BlogI_UserField1; }
  TStringField* BlogI_UserField2() const { return parts_.BlogI_UserField2; }
  TBooleanField* Group_SELECTED() const { return parts_.Group_SELECTED; }
  TStringField* Group_CATEGORY() const { return parts_.Group_CATEGORY; }
  TAutoIncField* Group_CKEY() const { return parts_.Group_CKEY; }
  TStringField* Userdef_DataFile() const { return parts_.Userdef_DataFile; }
  TStringField* Userdef_Fldname1() const { return parts_.Userdef_Fldname1; }
  TStringField* Userdef_Fldname2() const { return parts_.Userdef_Fldname2; }

  // --- tool bar and menu ---
  QToolBar* Toolbar() const { return parts_.Toolbar; }
  QAction* NewButton() const { return parts_.NewButton; }
  QAction* OpenButton() const { return parts_.OpenButton; }
  QAction* SaveButton() const { return parts_.SaveButton; }
  QAction* PrintButton() const { return parts_.PrintButton; }
  QAction* WebButton() const { return parts_.WebButton; }
  QAction* FindButton() const { return parts_.FindButton; }
  QAction* PasswButton() const { return parts_.PasswButton; }
  QAction* HelpButton() const { return parts_.HelpButton; }
  TDBNavigator* DBNavigator1() const { return parts_.DBNavigator1; }
  QAction* CreateFile1() const { return parts_.CreateFile1; }
  QAction* Open1() const { return parts_.Open1; }
  QAction* Save1() const { return parts_.Save1; }
  QAction* Print1() const { return parts_.Print1; }
  QAction* PrintPreview1() const { return parts_.PrintPreview1; }
  QAction* Filter1() const { return parts_.Filter1; }
  QAction* RemoveFilter1() const { return parts_.RemoveFilter1; }
  QAction* Exit1() const { return parts_.Exit1; }
  QAction* Help2() const { return parts_.Help2; }
  QAction* Liscence1() const { return parts_.Liscence1; }

  // --- pages ---
  QTabWidget* PageControl1() const { return parts_.PageControl1; }
  QWidget* TabSheet1() const { return parts_.TabSheet1; }
  QWidget* TabSheet2() const { return parts_.TabSheet2; }
  QWidget* TabSheet3() const { return parts_.TabSheet3; }
  TVelaDBGrid* VelaDBGrid1() const { return parts_.VelaDBGrid1; }
  TVelaDBGrid* VelaDBGrid2() const { return parts_.VelaDBGrid2; }
  TDBEdit* DBEsubject() const { return parts_.DBEsubject; }
  TVelaDBEdit* VelaDBEdit1() const { return parts_.VelaDBEdit1; }
  TDBEdit* DBEtitle() const { return parts_.DBEtitle; }
  TDBEdit* DBEkeyword() const { return parts_.DBEkeyword; }
  TDBEdit* DBEpublish() const { return parts_.DBEpublish; }
  TVelaDBEdit* VelaDBEdit2() const { return parts_.VelaDBEdit2; }
  TDBEdit* DBEdit1() const { return parts_.DBEdit1; }
  TDBEdit* DBEdit2() const { return parts_.DBEdit2; }
  TDBMemo* DBnotes() const { return parts_.DBnotes; }
  TDBEdit* DBEkey() const { return parts_.DBEkey; }
  TDBCheckBox* DBCheckBox1() const { return parts_.DBCheckBox1; }
  QLabel* Label9() const { return parts_.Label9; }
  QLabel* Label10() const { return parts_.Label10; }
  TVelaDBGrid* dbgGroup() const { return parts_.dbgGroup; }
  TVelaDBGrid* dbgUserfn() const { return parts_.dbgUserfn; }

  // Shows the tables' OnCallback percentage while one loads or saves for
  // more than a moment.
  TProgressDialog* ProgressDialog1() const { return parts_.ProgressDialog1; }

  // The title captions of the List grid's fourth and fifth columns
  // (UserField1, UserField2).
  std::array<std::string, 2> ListUserFieldTitles() const;

  // The questions the window asks, as it asks them (the screenshots show
  // them too). The restore box's default and escape button is Restore.
  static QString QuitQuestion() { return tr("Save changes to your ideas before closing?"); }
  static std::unique_ptr<QMessageBox> QuitQuestionBox(QWidget* parent);
  static std::unique_ptr<QMessageBox> RestoreQuestionBox(QWidget* parent, int changes, const QDateTime& when);

  // Closes the window without asking, leaving what is unsaved in the
  // recovery journals for the next start (SIGTERM, SIGHUP, a desktop
  // session that ends without leave to ask).
  void CloseKeepingJournals();
  // Whether any table holds changes that no Save has written.
  bool HasUnsavedChanges() const;
  // The desktop session ends: asks the quit question when mayAsk, and
  // answers whether the session may end (the window then closes).
  bool CommitData(bool mayAsk);

  // Data folders as documents. OpenDataFolder asks about unsaved changes
  // first (as on quit), then opens the folder's tables; a folder without
  // them, or with damaged ones, is named in one message that offers to choose
  // another, and the folder open before stays open. False when nothing new
  // was opened.
  bool OpenDataFolder(const QString& folder);
  // Makes the three empty tables in a folder that holds none, then opens it.
  bool NewDataFolder(const QString& folder);
  QString DataFolder() const;
  // How a folder is chosen (a folder dialog; tests answer in its place).
  std::function<QString(const QString& title)> OnChooseFolder;
  QMenu* RecentFoldersMenu() const { return recentMenu_; }

  // Prints the List page's list as shown (see PrintGridList) on device;
  // returns the number of pages.
  int PrintList(QPagedPaintDevice* device);
  // How the printer is chosen (the print dialog, which also offers a PDF
  // file; tests answer in its place): false when the person cancels.
  std::function<bool(QPrinter& printer)> OnSetUpPrinter;

protected:
  void closeEvent(QCloseEvent* event) override;
  // The page keys, wherever the focus is in this window.
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QString PrintTitle() const;
  // Lets the tests call a handler whose control is not in place yet.
  friend struct TfrmBlogTestAccess;

  // The form's components; the constructor sets each once.
  struct Parts {
    // --- non-visual components ---
    TVelaDatabase* Veladb = nullptr;
    TVelaTable* Userdef_ = nullptr;
    TVelaTable* BlogI_ = nullptr;
    TVelaTable* Group_ = nullptr;
    TDataSource* dsUserd = nullptr;
    TDataSource* dsBlog = nullptr;
    TDataSource* dsGroup = nullptr;
    TsfFilterDialog* sfFilterD1 = nullptr;

    TBooleanField* BlogI_Flag = nullptr;
    TStringField* BlogI_Subject = nullptr;
    TStringField* BlogI_Group = nullptr;
    TStringField* BlogI_Title = nullptr;
    TStringField* BlogI_Keywords = nullptr;
    TBlobField* BlogI_Notes = nullptr;
    TStringField* BlogI_Published = nullptr;
    TDateField* BlogI_PubDate = nullptr;
    TAutoIncField* BlogI_Key = nullptr;
    TStringField* BlogI_UserField1 = nullptr;
    TStringField* BlogI_UserField2 = nullptr;
    TBooleanField* Group_SELECTED = nullptr;
    TStringField* Group_CATEGORY = nullptr;
    TAutoIncField* Group_CKEY = nullptr;
    TStringField* Userdef_DataFile = nullptr;
    TStringField* Userdef_Fldname1 = nullptr;
    TStringField* Userdef_Fldname2 = nullptr;

    // --- tool bar and menu ---
    QToolBar* Toolbar = nullptr;
    QAction* NewButton = nullptr;
    QAction* OpenButton = nullptr;
    QAction* SaveButton = nullptr;
    QAction* PrintButton = nullptr;
    QAction* WebButton = nullptr;
    QAction* FindButton = nullptr;
    QAction* PasswButton = nullptr;
    QAction* HelpButton = nullptr;
    TDBNavigator* DBNavigator1 = nullptr;
    QAction* CreateFile1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* PrintPreview1 = nullptr;
    QAction* Filter1 = nullptr;
    QAction* RemoveFilter1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* Help2 = nullptr;
    QAction* Liscence1 = nullptr;

    // --- pages ---
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    TVelaDBGrid* VelaDBGrid1 = nullptr;
    TVelaDBGrid* VelaDBGrid2 = nullptr;
    TDBEdit* DBEsubject = nullptr;
    TVelaDBEdit* VelaDBEdit1 = nullptr;
    TDBEdit* DBEtitle = nullptr;
    TDBEdit* DBEkeyword = nullptr;
    TDBEdit* DBEpublish = nullptr;
    TVelaDBEdit* VelaDBEdit2 = nullptr;
    TDBEdit* DBEdit1 = nullptr;
    TDBEdit* DBEdit2 = nullptr;
    TDBMemo* DBnotes = nullptr;
    TDBEdit* DBEkey = nullptr;
    TDBCheckBox* DBCheckBox1 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    TVelaDBGrid* dbgGroup = nullptr;
    TVelaDBGrid* dbgUserfn = nullptr;

    TProgressDialog* ProgressDialog1 = nullptr;
  };

  // Handlers, bound to the form's actions and events by the constructor.
  void SaveButtonClick();
  void PageControl1Change();
  void CreateFile1Click();
  void Open1Click();
  void Exit1Click();
  void HelpButtonClick();
  void Liscence1Click();
  void WebButtonClick();
  void Print1Click();
  void PrintPreview1Click();
  void Filter1Click();
  void RemoveFilter1Click();
  // Bound to the List grid's double click: shows the idea on the Item page.
  void VelaDBGrid1DblClick();
  void VelaDBGrid1TitleClick(TVelaCustomDBGrid* sender, TVelaColumn* column);
  void VelaDBGrid1DrawCellAttr(TVelaCustomDBGrid* sender, TVelaColumn* column, TFont& font, QColor& color,
                               TGridDrawState state);
  void VelaDBGrid2DrawCellAttr(TVelaCustomDBGrid* sender, TVelaColumn* column, TFont& font, QColor& color,
                               TGridDrawState state);
  void dbgUserfnDblClick(TVelaCustomDBGrid* sender);
  void dbgUserfnExit(TVelaCustomDBGrid* sender);
  void CreateListGrid(QWidget* page);
  void CreateItemGrid(QWidget* page);

  void CreateComponents();
  void CreateToolBarAndMenu();
  void CreatePages();
  // Ctrl+PgDn / Ctrl+PgUp, and Ctrl+Tab / Ctrl+Shift+Tab outside a control
  // that takes Tab itself (a grid, the notes), where they move the focus on.
  bool PageKey(QWidget* focus, const QKeyEvent& key);
  QWidget* CreateItemPage();
  QWidget* CreateUserPage();
  void FormCreate();
  // Opens the three tables of the database's folder and offers their journals.
  void OpenTables();
  void CloseTables();
  // Why a folder cannot be opened, or empty when it holds the three tables.
  static QString FolderProblem(const QString& folder);
  void FillRecentFoldersMenu();
  void FormClose();
  // Asks about the journals that the last run left beside the tables.
  void OfferJournals();
  // Saves the three tables; false when a question was cancelled or a write
  // failed (the error is shown and the changes stay in memory).
  bool SaveAll();
  // Posts edits in progress and drops new rows in which nothing was typed.
  void SettleEdits();
  // The quit question; false when the window must stay open.
  bool AskBeforeClosing();
  void UpdateModifiedMark();
  void JournalError(TVelaTable* table, const std::string& message);
  void Userdef_NewRecord(TDataSet* dataSet);
  void BlogI_AfterInsert(TDataSet* dataSet);
  void CopyUserFieldCaptions();
  // The window's size, place and state, its page and the List grid's
  // columns (order and widths), kept in the settings from one start to the next.
  void SaveSettings() const;
  void RestoreSettings();
  void TableCallback(TObject* sender, int percent);
  std::string UserFieldCaption(TStringField* field) const;

  Parts parts_;
  std::unique_ptr<TComponent> components_;  // owns the non-visual components
  TIdeaSearch* ideaSearch_ = nullptr;       // the tool bar's
  TFormatBar* formatBar_ = nullptr;         // over the notes
  std::unique_ptr<TIdeaStatus> ideaStatus_;  // a link to the ideas: goes before their data source
  QMenu* recentMenu_ = nullptr;
  bool closeKeepingJournals_ = false;
  bool journalErrorShown_ = false;
};

}  // namespace notarra
