// TfrmBlog: the main window. It owns the database component, the three
// tables with their persistent fields and data sources, and shows the idea
// table on the List, Item and User pages with a tool bar and a main menu.
// Its constructor is the form description; FormCreate opens the tables of
// the working directory.
#pragma once

#include <QMainWindow>
#include <array>
#include <memory>
#include <string>

class QAction;
class QLabel;
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
class TVelaDatabase;
class TVelaTable;

class TfrmBlog : public QMainWindow {
  Q_OBJECT

public:
  explicit TfrmBlog(QWidget* parent = nullptr);
  ~TfrmBlog() override;

  // --- non-visual components ---
  TVelaDatabase* Veladb = nullptr;
  TVelaTable* Userdef_ = nullptr;
  TVelaTable* BlogI_ = nullptr;
  TVelaTable* Group_ = nullptr;
  TDataSource* dsUserd = nullptr;
  TDataSource* dsBlog = nullptr;
  TDataSource* dsGroup = nullptr;

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
  QWidget* VelaDBGrid1 = nullptr;  // placeholder until the data grid arrives
  QWidget* VelaDBGrid2 = nullptr;  // placeholder until the data grid arrives
  TDBEdit* DBEsubject = nullptr;
  QWidget* VelaDBEdit1 = nullptr;  // placeholder until the drop-down data edit arrives
  TDBEdit* DBEtitle = nullptr;
  TDBEdit* DBEkeyword = nullptr;
  TDBEdit* DBEpublish = nullptr;
  QWidget* VelaDBEdit2 = nullptr;  // placeholder until the drop-down data edit arrives
  TDBEdit* DBEdit1 = nullptr;
  TDBEdit* DBEdit2 = nullptr;
  TDBMemo* DBnotes = nullptr;
  TDBEdit* DBEkey = nullptr;
  TDBCheckBox* DBCheckBox1 = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label10 = nullptr;
  QWidget* dbgGroup = nullptr;   // placeholder until the plain data grid arrives
  QWidget* dbgUserfn = nullptr;  // placeholder until the plain data grid arrives

  // Shows the tables' OnCallback percentage while one loads or saves for
  // more than a moment.
  TProgressDialog* ProgressDialog1 = nullptr;

  // The title captions of the List grid's fourth and fifth columns
  // (UserField1, UserField2); the grid shows them once it is in place.
  const std::array<std::string, 2>& ListUserFieldTitles() const { return listUserFieldTitles_; }

  // Handlers, public so that the form's bindings read like the form.
  void SaveButtonClick();
  void PageControl1Change();
  void CreateFile1Click();
  void Open1Click();
  void Exit1Click();
  void HelpButtonClick();
  void Liscence1Click();
  void WebButtonClick();
  // Bound to the List grid's double click: shows the idea on the Item page.
  void VelaDBGrid1DblClick();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void CreateComponents();
  void CreateToolBarAndMenu();
  void CreatePages();
  QWidget* CreateItemPage();
  QWidget* CreateUserPage();
  void FormCreate();
  void FormClose();
  void Userdef_NewRecord(TDataSet* dataSet);
  void BlogI_AfterInsert(TDataSet* dataSet);
  void CopyUserFieldCaptions();
  void TableCallback(TObject* sender, int percent);
  std::string UserFieldCaption(TStringField* field) const;

  std::unique_ptr<TComponent> components_;  // owns the non-visual components
  std::array<std::string, 2> listUserFieldTitles_;
};

}  // namespace notarra
