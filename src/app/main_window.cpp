#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSessionManager>
#include <QSignalBlocker>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSettings>
#include <QFileDialog>
#include <QFileInfo>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOption>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/about_box.h"
#include "app/idea_search.h"
#include "app/idea_status.h"
#include "app/list_printer.h"
#include "app/start_options.h"
#include "tools/idea_schema.h"
#include "tools/tool_error.h"
#include "gui/custom_grid.h"
#include "controls/edit/vela_db_edit.h"
#include "controls/grid/db_grid.h"
#include "dataset/data_source.h"
#include "dataset/field_types.h"
#include "filterdialog/filter_dialog.h"
#include "filterdialog/filter_form.h"
#include "gui/application.h"
#include "gui/db_check_box.h"
#include "gui/db_edit.h"
#include "gui/db_memo.h"
#include "gui/db_navigator.h"
#include "gui/dpi_scale.h"
#include "gui/exception_guard.h"
#include "gui/format_bar.h"
#include "gui/progress_dialog.h"
#include "gui/qt_text.h"
#include "platform/component.h"
#include "platform/conversions.h"
#include "platform/date_time.h"
#include "platform/exceptions.h"
#include "platform/services.h"
#include "platform/text.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"

namespace notarra {

namespace {

// Asked before Save overwrites a table file that another program (the
// command-line tool, a second copy of the program, a sync client) wrote
// after this window read it.
std::string FileChangedQuestion(const std::string& fileName) {
  return FromQString(TfrmBlog::tr("The file %1 was changed by another program after it was opened. Overwrite it?")
                         .arg(ToQString(fileName)));
}

template <typename F>
F* AddField(TVelaTable* table, const std::string& name, int size = 0) {
  auto* field = new F(table->Owner());
  field->SetName(table->Name() + name);
  field->SetFieldName(name);
  if (size > 0) field->SetSize(size);
  field->SetDataSet(table);
  return field;
}

TVelaTable* AddTable(TComponent* owner, TVelaDatabase* db, const char* name, const char* file) {
  auto* table = new TVelaTable(owner);
  table->SetName(name);
  table->SetDatabase(db);
  table->SetTableName(file);
  table->SetLoadMode(lmFile);
  return table;
}

TDataSource* AddSource(TComponent* owner, const char* name, TDataSet* dataSet) {
  auto* source = new TDataSource(owner);
  source->SetName(name);
  source->SetDataSet(dataSet);
  return source;
}

// A page's one column of controls, with the designed margins.
QVBoxLayout* PageLayout(QWidget* page) {
  if (auto* layout = qobject_cast<QVBoxLayout*>(page->layout())) return layout;
  auto* layout = new QVBoxLayout(page);
  const int margin = ScaledPx(page, 8);
  layout->setContentsMargins(margin, margin, margin, margin);
  return layout;
}

// A "Short|Long" hint: the tooltip and the status-bar text.
void SetHint(QAction* action, const QString& hint) {
  const std::string text = FromQString(hint);  // the parts point into it
  const THintParts parts = SplitHint(text);
  action->setToolTip(ToQString(parts.Short));
  action->setStatusTip(ToQString(parts.Long));
}

}  // namespace

TfrmBlog::TfrmBlog(QWidget* parent) : QMainWindow(parent), components_(std::make_unique<TComponent>()) {
  OnChooseFolder = [this](const QString& title) {
    return QFileDialog::getExistingDirectory(this, title, DataFolder());
  };
  OnSetUpPrinter = [this](QPrinter& printer) {
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(tr("Print"));
    return dialog.exec() == QDialog::Accepted;
  };
  setObjectName("frmBlog");
  // The mark shows, the desktop's way, that something is not saved yet.
  setWindowTitle("Notarra-[*]");
  setWindowIcon(QIcon(":/notarra.png"));
  // The designed size is the first size; the desktop places the window.
  resize(ScaledSize(this, 911, 602));
  CreateComponents();
  CreateToolBarAndMenu();
  CreatePages();
  ideaStatus_ = std::make_unique<TIdeaStatus>(statusBar(), dsBlog());
  // The smallest window still shows every tool button and the search field.
  setMinimumWidth(std::max(minimumSizeHint().width(), Toolbar()->sizeHint().width()));
  // Key presses go to the focused control first; the page keys are the window's.
  qApp->installEventFilter(this);
  parts_.ProgressDialog1 = new TProgressDialog(this);
  // An error while opening the tables is shown and the window still comes up.
  RunGuarded([this] { FormCreate(); });
  RestoreSettings();
  // A desktop session that ends: ask when we may, else keep the journals.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
    if (!CommitData(manager.allowsInteraction())) manager.cancel();
  });
}

TfrmBlog::~TfrmBlog() {
  // The controls go first: they hold links to the data sources.
  delete takeCentralWidget();
  delete Toolbar();
  components_.reset();
}

void TfrmBlog::CreateComponents() {
  TComponent* owner = components_.get();
  parts_.Veladb = new TVelaDatabase(owner);
  Veladb()->SetName("Veladb");
  Veladb()->SetDateFormat("mm/dd/yyyy");

  parts_.Userdef_ = AddTable(owner, Veladb(), "Userdef_", "User.d");
  Userdef_()->OnNewRecord = TEvent<TDataSet*>::Bind(this, &TfrmBlog::Userdef_NewRecord);
  parts_.BlogI_ = AddTable(owner, Veladb(), "BlogI_", "Blog_Ideas.d");
  BlogI_()->SetIndexFieldNames("Group;Subject");
  BlogI_()->AfterInsert = TEvent<TDataSet*>::Bind(this, &TfrmBlog::BlogI_AfterInsert);
  parts_.Group_ = AddTable(owner, Veladb(), "Group_", "group.d");
  Group_()->SetIndexFieldNames("category");

  for (TVelaTable* table : {Userdef_(), BlogI_(), Group_()}) {
    table->OnCallback = TCallbackEvent::Bind(this, &TfrmBlog::TableCallback);
    // Every posted change goes to the table's recovery journal at once.
    table->SetJournaled(true);
    table->OnJournalError = TEvent<TVelaTable*, const std::string&>::Bind(this, &TfrmBlog::JournalError);
    table->OnNeedToSaveChange = TNotifyEvent([this](TObject*) { UpdateModifiedMark(); });
  }

  parts_.dsUserd = AddSource(owner, "dsUserd", Userdef_());
  parts_.dsBlog = AddSource(owner, "dsBlog", BlogI_());
  parts_.dsGroup = AddSource(owner, "dsGroup", Group_());
  // A master without master fields: the group table follows the idea
  // table but is never narrowed by it.
  Group_()->SetMasterSource(dsBlog());

  InstallFilterDialogForms();
  parts_.sfFilterD1 = new TsfFilterDialog(owner);
  sfFilterD1()->SetName("sfFilterD1");
  sfFilterD1()->SetDataSource(dsBlog());
  sfFilterD1()->SetCaption(FromQString(tr("Filter")));
  sfFilterD1()->FilterPropertyOptions().LikeWildcardChar = "%";

  parts_.BlogI_Flag = AddField<TBooleanField>(BlogI_(), "Flag");
  parts_.BlogI_Subject = AddField<TStringField>(BlogI_(), "Subject", 256);
  parts_.BlogI_Group = AddField<TStringField>(BlogI_(), "Group", 20);
  BlogI_Group()->SetLookupDataSet(Group_());
  BlogI_Group()->SetLookupKeyFields("CATEGORY");
  BlogI_Group()->SetLookupResultField("CATEGORY");
  BlogI_Group()->SetKeyFields("Group");
  parts_.BlogI_Title = AddField<TStringField>(BlogI_(), "Title", 256);
  parts_.BlogI_Keywords = AddField<TStringField>(BlogI_(), "Keywords", 256);
  parts_.BlogI_Notes = AddField<TBlobField>(BlogI_(), "Notes");
  BlogI_Notes()->SetBlobType(ftFmtMemo);
  parts_.BlogI_Published = AddField<TStringField>(BlogI_(), "Published", 50);
  parts_.BlogI_PubDate = AddField<TDateField>(BlogI_(), "PubDate");
  parts_.BlogI_Key = AddField<TAutoIncField>(BlogI_(), "Key");
  parts_.BlogI_UserField1 = AddField<TStringField>(BlogI_(), "UserField1", 20);
  parts_.BlogI_UserField2 = AddField<TStringField>(BlogI_(), "UserField2", 20);

  parts_.Group_SELECTED = AddField<TBooleanField>(Group_(), "SELECTED");
  Group_SELECTED()->SetDisplayWidth(11);
  Group_SELECTED()->SetVisible(false);
  parts_.Group_CATEGORY = AddField<TStringField>(Group_(), "CATEGORY", 15);
  Group_CATEGORY()->SetDisplayWidth(23);
  parts_.Group_CKEY = AddField<TAutoIncField>(Group_(), "CKEY");
  // What the User page's grid titles read; the field names stay as the file has them.
  Group_CATEGORY()->SetDisplayLabel("Group");
  Group_CKEY()->SetDisplayLabel("Key");

  parts_.Userdef_DataFile = AddField<TStringField>(Userdef_(), "DataFile", 20);
  parts_.Userdef_Fldname1 = AddField<TStringField>(Userdef_(), "Fldname1", 20);
  parts_.Userdef_Fldname2 = AddField<TStringField>(Userdef_(), "Fldname2", 20);
}

void TfrmBlog::CreateToolBarAndMenu() {
  parts_.Toolbar = new QToolBar("Toolbar", this);
  Toolbar()->setObjectName("Toolbar");
  Toolbar()->setMovable(false);
  Toolbar()->setIconSize(QSize(16, 16));
  addToolBar(Qt::TopToolBarArea, Toolbar());
  // After addToolBar: taking its place in the area resets the tool bar's minimum size.
  Toolbar()->setFixedHeight(33);
  QStyle* st = style();
  auto button = [this](const char* name, const QIcon& glyph, const QString& text, const QString& hint) {
    // Some of the style's icons have no greyed form of their own: the
    // disabled buttons on the User page must look disabled.
    const QPixmap normal = glyph.pixmap(16, 16);
    QStyleOption option;
    option.initFrom(this);
    QIcon icon(normal);
    icon.addPixmap(style()->generatedIconPixmap(QIcon::Disabled, normal, &option), QIcon::Disabled);
    auto* action = new QAction(icon, text, this);
    action->setObjectName(name);
    if (!hint.isEmpty()) SetHint(action, hint);
    Toolbar()->addAction(action);
    return action;
  };
  Toolbar()->addWidget(new QWidget)->setObjectName("Indent");
  Toolbar()->widgetForAction(Toolbar()->actions().back())->setFixedWidth(8);
  parts_.NewButton = button("NewButton", st->standardIcon(QStyle::SP_FileIcon), tr("New"), tr("New|Create a new document"));
  parts_.OpenButton = button("OpenButton", st->standardIcon(QStyle::SP_DialogOpenButton), tr("Open"),
                      tr("Open|Open an existing document"));
  parts_.SaveButton = button("SaveButton", st->standardIcon(QStyle::SP_DialogSaveButton), tr("Save"),
                      tr("Save|Save the active document"));
  parts_.PrintButton = button("PrintButton", st->standardIcon(QStyle::SP_FileDialogDetailedView), tr("Print"),
                       tr("Print|Print the active document"));
  Toolbar()->addSeparator()->setObjectName("S1");
  Toolbar()->addSeparator()->setObjectName("S2");
  parts_.DBNavigator1 = new TDBNavigator;
  DBNavigator1()->setObjectName("DBNavigator1");
  DBNavigator1()->SetDataSource(dsBlog());
  DBNavigator1()->SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete});
  DBNavigator1()->SetHint(nbFirst, FromQString(tr("First record")));
  DBNavigator1()->SetHint(nbPrior, FromQString(tr("Prior record")));
  DBNavigator1()->SetHint(nbNext, FromQString(tr("Next record")));
  DBNavigator1()->SetHint(nbLast, FromQString(tr("Last record")));
  DBNavigator1()->SetHint(nbInsert, FromQString(tr("Insert record")));
  DBNavigator1()->SetHint(nbDelete, FromQString(tr("Delete record")));
  DBNavigator1()->setFixedSize(228, 22);
  Toolbar()->addWidget(DBNavigator1());
  Toolbar()->addSeparator()->setObjectName("S3");
  parts_.WebButton = button("WebButton", st->standardIcon(QStyle::SP_DriveNetIcon), tr("Sort by Subject"),
                            tr("Sort by Subject|Sort the ideas by Subject, then Group"));
  Toolbar()->addSeparator()->setObjectName("S4");
  parts_.FindButton = button("FindButton", st->standardIcon(QStyle::SP_FileDialogContentsView), tr("Filter"), tr("Set Filter"));
  parts_.PasswButton = button("PasswButton", st->standardIcon(QStyle::SP_DialogResetButton), tr("Remove Filter"),
                       tr("Remove Filter"));
  parts_.HelpButton = button("HelpButton", st->standardIcon(QStyle::SP_DialogHelpButton), tr("Help"),
                      tr("Help|Open the helpfile"));
  for (QAction* a : Toolbar()->actions())
    if (QWidget* w = Toolbar()->widgetForAction(a); w && !a->isSeparator() && w != DBNavigator1() && a->icon().isNull() == false)
      w->setFixedWidth(24);
  // The search field at the far end, where desktop programs keep theirs.
  auto* gap = new QWidget;
  gap->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  Toolbar()->addWidget(gap);
  ideaSearch_ = new TIdeaSearch(BlogI_(), this);
  ideaSearch_->setMaximumWidth(std::max(ideaSearch_->minimumWidth(), ScaledPx(this, 240)));
  Toolbar()->addWidget(ideaSearch_);

  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->setObjectName("File1");
  auto item = [this](QMenu* menu, const char* name, const QString& text) {
    auto* action = menu->addAction(text);
    action->setObjectName(name);
    return action;
  };
  parts_.CreateFile1 = item(file, "CreateFile1", tr("&New File"));
  parts_.Open1 = item(file, "Open1", tr("&Open File"));
  recentMenu_ = file->addMenu(tr("Recent &Folders"));
  recentMenu_->setObjectName("RecentFolders1");
  connect(recentMenu_, &QMenu::aboutToShow, this, [this] { FillRecentFoldersMenu(); });
  FillRecentFoldersMenu();
  parts_.Save1 = item(file, "Save1", tr("&Save"));
  parts_.Print1 = item(file, "Print1", tr("&Print..."));
  parts_.PrintPreview1 = item(file, "PrintPreview1", tr("Print Pre&view"));
  parts_.Filter1 = item(file, "Filter1", tr("&Filter"));
  parts_.RemoveFilter1 = item(file, "RemoveFilter1", tr("&Remove Filter"));
  parts_.Exit1 = item(file, "Exit1", tr("E&xit"));
  // The keys desktop users reach for, shown in the menu.
  Save1()->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  Filter1()->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  Print1()->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  Exit1()->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->setObjectName("Help1");
  parts_.Help2 = item(help, "Help2", tr("&Help"));
  parts_.Liscence1 = item(help, "Liscence1", tr("&About"));
  Help2()->setShortcut(QKeySequence(Qt::Key_F1));

  auto bind = [this](QAction* action, void (TfrmBlog::*handler)()) {
    connect(action, &QAction::triggered, this, [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
  };
  bind(SaveButton(), &TfrmBlog::SaveButtonClick);
  bind(Save1(), &TfrmBlog::SaveButtonClick);
  bind(WebButton(), &TfrmBlog::WebButtonClick);
  bind(HelpButton(), &TfrmBlog::HelpButtonClick);
  bind(Help2(), &TfrmBlog::HelpButtonClick);
  bind(Liscence1(), &TfrmBlog::Liscence1Click);
  bind(CreateFile1(), &TfrmBlog::CreateFile1Click);
  bind(NewButton(), &TfrmBlog::CreateFile1Click);
  bind(Open1(), &TfrmBlog::Open1Click);
  bind(OpenButton(), &TfrmBlog::Open1Click);
  bind(Exit1(), &TfrmBlog::Exit1Click);
  bind(PrintButton(), &TfrmBlog::Print1Click);
  bind(Print1(), &TfrmBlog::Print1Click);
  bind(PrintPreview1(), &TfrmBlog::PrintPreview1Click);
  bind(FindButton(), &TfrmBlog::Filter1Click);
  bind(Filter1(), &TfrmBlog::Filter1Click);
  bind(PasswButton(), &TfrmBlog::RemoveFilter1Click);
  bind(RemoveFilter1(), &TfrmBlog::RemoveFilter1Click);
}

void TfrmBlog::CreatePages() {
  auto* central = new QWidget(this);
  setCentralWidget(central);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(ScaledPx(this, 11), ScaledPx(this, 7), ScaledPx(this, 11), ScaledPx(this, 7));
  parts_.PageControl1 = new QTabWidget(central);
  PageControl1()->setObjectName("PageControl1");
  layout->addWidget(PageControl1());

  parts_.TabSheet1 = new QWidget;
  TabSheet1()->setObjectName("TabSheet1");
  CreateListGrid(TabSheet1());
  PageControl1()->addTab(TabSheet1(), tr("&List"));
  parts_.TabSheet2 = CreateItemPage();
  PageControl1()->addTab(TabSheet2(), tr("&Item"));
  parts_.TabSheet3 = CreateUserPage();
  PageControl1()->addTab(TabSheet3(), tr("&User"));
  PageControl1()->setCurrentWidget(TabSheet1());
  connect(PageControl1(), &QTabWidget::currentChanged, this, [this] { RunGuarded([this] { PageControl1Change(); }); });
}

bool TfrmBlog::PageKey(QWidget* focus, const QKeyEvent& key) {
  if (!(key.modifiers() & Qt::ControlModifier) || (key.modifiers() & Qt::AltModifier)) return false;
  const bool tab = key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab;
  const bool forward = key.key() == Qt::Key_Tab || key.key() == Qt::Key_PageDown;
  if (!tab && key.key() != Qt::Key_PageDown && key.key() != Qt::Key_PageUp) return false;
  // A control that takes Tab itself is left with Ctrl+Tab, as everywhere in Qt.
  for (QWidget* w = focus; tab && w && w != this; w = w->parentWidget()) {
    if (qobject_cast<TCustomGrid*>(w) || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QTextEdit*>(w)) {
      focusNextPrevChild(forward);
      return true;
    }
  }
  QTabWidget* pages = PageControl1();
  const int n = pages->count();
  pages->setCurrentIndex((pages->currentIndex() + (forward ? 1 : n - 1)) % n);
  return true;
}

bool TfrmBlog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && widget->window() == this && PageKey(widget, *static_cast<QKeyEvent*>(event))) return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TfrmBlog::CreateListGrid(QWidget* page) {
  auto* grid = new TVelaDBGrid(page);
  parts_.VelaDBGrid1 = grid;
  grid->setObjectName("VelaDBGrid1");
  PageLayout(page)->addWidget(grid);
  grid->SetDataSource(dsBlog());
  TVelaDBGridColumns& columns = grid->Columns();
  auto add = [&](const char* field) {
    TVelaColumn* column = columns.Add();
    column->SetFieldName(field);
    return column;
  };
  TVelaColumn* flag = add("Flag");
  flag->SetButtonStyle(cbsCheck);
  flag->SetValueChecked("True");
  flag->SetValueUnChecked("False");
  TVelaColumn* subject = add("Subject");
  subject->SetCanClick(true);
  subject->SetWidth(ScaledPx(grid, 300));
  TVelaColumn* group = add("Group");
  group->SetAutoDropDown(true);
  group->SetButtonStyle(cbsLookup);
  group->SetCanClick(true);
  group->SetLookupDropDownFields("CATEGORY");
  group->SetLookupKeyField("Group");
  group->SetLookupLinkField("CATEGORY");
  group->SetLookupDataSet(Group_());
  TVelaColumn* user1 = add("UserField1");
  user1->SetCanClick(true);
  user1->Title()->SetCaption("Field1");
  TVelaColumn* user2 = add("UserField2");
  user2->SetCanClick(true);
  user2->Title()->SetCaption("Field2");
  add("Title")->SetWidth(ScaledPx(grid, 300));
  add("Keywords")->SetCanClick(true);
  add("Published");
  add("PubDate")->SetButtonStyle(cbsCalendar);
  add("Key");
  grid->OnTitleClick = TVelaDBGridClickEvent::Bind(this, &TfrmBlog::VelaDBGrid1TitleClick);
  grid->OnDblClick = [this](TVelaCustomDBGrid*) { VelaDBGrid1DblClick(); };
  grid->OnDrawCellAttr = TDrawCellAttrEvent::Bind(this, &TfrmBlog::VelaDBGrid1DrawCellAttr);
}

void TfrmBlog::CreateItemGrid(QWidget* page) {
  auto* grid = new TVelaDBGrid(page);
  parts_.VelaDBGrid2 = grid;
  grid->setObjectName("VelaDBGrid2");
  grid->setMinimumHeight(ScaledPx(grid, 121));
  grid->SetDataSource(dsBlog());
  auto add = [grid](const char* field) {
    TVelaColumn* column = grid->Columns().Add();
    column->SetFieldName(field);
    return column;
  };
  TVelaColumn* flag = add("Flag");
  flag->SetButtonStyle(cbsCheck);
  flag->SetValueChecked("True");
  flag->SetValueUnChecked("False");
  add("Subject")->SetWidth(ScaledPx(grid, 300));
  add("Group");
  add("Title")->SetWidth(ScaledPx(grid, 300));
  add("Keywords")->SetWidth(ScaledPx(grid, 300));
  grid->OnDrawCellAttr = TDrawCellAttrEvent::Bind(this, &TfrmBlog::VelaDBGrid2DrawCellAttr);
}

QWidget* TfrmBlog::CreateItemPage() {
  auto* page = new QWidget;
  page->setObjectName("TabSheet2");
  CreateItemGrid(page);
  auto bind = [this](auto* control, const char* name, const char* field) {
    control->setObjectName(name);
    control->SetDataSource(dsBlog());
    control->SetDataField(field);
    return control;
  };
  // A short value keeps its designed width; a long one (kGrows) takes what
  // room there is and gives some up in a narrow window.
  constexpr int kGrows = 0;
  auto sized = [](QWidget* control, int width) {
    if (width == kGrows) control->setMinimumWidth(ScaledPx(control, 240));
    else control->setFixedWidth(ScaledPx(control, width));
  };
  auto edit = [page, bind, sized](const char* name, const char* field, int width) {
    auto* e = bind(new TDBEdit(page), name, field);
    sized(e, width);
    return e;
  };
  auto* fields = new QFormLayout;
  fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  fields->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  auto row = [page, fields](const QString& text, QWidget* control) {
    auto* label = new QLabel(text, page);
    label->setBuddy(control);
    fields->addRow(label, control);
    return label;
  };
  parts_.DBEsubject = edit("DBEsubject", "Subject", kGrows);
  row(tr("Subject"), DBEsubject());
  parts_.VelaDBEdit1 = new TVelaDBEdit(page);
  sized(VelaDBEdit1(), 160);
  VelaDBEdit1()->SetDialogStyle(vdsLookup);
  VelaDBEdit1()->SetStyle(vcsDropDownList);
  VelaDBEdit1()->SetAutoDropDown(true);
  VelaDBEdit1()->SetLookupDataSet(Group_());
  VelaDBEdit1()->LookupProps().SetSourceKeyField("Group");
  VelaDBEdit1()->LookupProps().SetLookupKeyField("CATEGORY");
  VelaDBEdit1()->LookupProps().SetListFieldNames("CATEGORY");
  bind(VelaDBEdit1(), "VelaDBEdit1", "Group");
  row(tr("Group"), VelaDBEdit1());
  parts_.DBEtitle = edit("DBEtitle", "Title", kGrows);
  row(tr("Title"), DBEtitle());
  parts_.DBEkeyword = edit("DBEkeyword", "Keywords", kGrows);
  row(tr("Keywords"), DBEkeyword());
  parts_.DBEpublish = edit("DBEpublish", "Published", 200);
  row(tr("Published"), DBEpublish());
  parts_.VelaDBEdit2 = new TVelaDBEdit(page);
  sized(VelaDBEdit2(), 120);
  VelaDBEdit2()->SetDialogStyle(vdsCalendar);
  bind(VelaDBEdit2(), "VelaDBEdit2", "PubDate");
  row(tr("PubDate"), VelaDBEdit2());
  parts_.DBEdit1 = edit("DBEdit1", "UserField1", 160);
  parts_.Label9 = row(tr("Field1"), DBEdit1());
  Label9()->setObjectName("Label9");
  parts_.DBEdit2 = edit("DBEdit2", "UserField2", 160);
  parts_.Label10 = row(tr("Field2"), DBEdit2());
  Label10()->setObjectName("Label10");

  auto* notesLabel = new QLabel(tr("Notes"), page);
  parts_.DBnotes = bind(new TDBMemo(page), "DBnotes", "Notes");
  notesLabel->setBuddy(DBnotes());
  // Notes written with formatting show formatted and can be formatted here.
  DBnotes()->SetFormattedText(true);
  formatBar_ = new TFormatBar(DBnotes(), page);
  DBnotes()->setMinimumSize(ScaledSize(DBnotes(), 240, 80));
  auto* keyLabel = new QLabel(tr("Key"), page);
  parts_.DBEkey = edit("DBEkey", "Key", 80);
  keyLabel->setBuddy(DBEkey());
  DBEkey()->SetReadOnly(true);
  parts_.DBCheckBox1 = bind(new TDBCheckBox(page), "DBCheckBox1", "Flag");
  DBCheckBox1()->setText(tr("Flag"));
  DBCheckBox1()->SetValueChecked("True");
  DBCheckBox1()->SetValueUnchecked("False");
  auto* keyRow = new QHBoxLayout;
  keyRow->addWidget(keyLabel);
  keyRow->addWidget(DBEkey());
  keyRow->addStretch(1);
  keyRow->addWidget(DBCheckBox1());
  auto* notesTitle = new QHBoxLayout;
  notesTitle->addWidget(notesLabel);
  notesTitle->addStretch(1);
  notesTitle->addWidget(formatBar_);
  auto* notes = new QVBoxLayout;
  notes->addLayout(notesTitle);
  notes->addWidget(DBnotes(), 1);
  notes->addLayout(keyRow);

  auto* lower = new QHBoxLayout;
  lower->addLayout(fields, 1);
  lower->addSpacing(ScaledPx(page, 24));
  lower->addLayout(notes, 1);
  QVBoxLayout* layout = PageLayout(page);
  layout->addWidget(VelaDBGrid2(), 1);
  layout->addLayout(lower, 2);
  QWidget* order[] = {DBEsubject(), VelaDBEdit1(), DBEtitle(), DBEkeyword(), DBEpublish(), VelaDBEdit2(),
                      DBEdit1(),    DBEdit2(),     DBnotes(),  DBEkey(),     DBCheckBox1()};
  for (std::size_t i = 1; i < std::size(order); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
  return page;
}

QWidget* TfrmBlog::CreateUserPage() {
  auto* page = new QWidget;
  page->setObjectName("TabSheet3");
  auto* groups = new QLabel(tr("Group Descriptions"), page);
  parts_.dbgGroup = new TVelaDBGrid(page);
  dbgGroup()->setObjectName("dbgGroup");
  dbgGroup()->SetDataSource(dsGroup());
  groups->setBuddy(dbgGroup());
  auto* user = new QLabel(tr("User Field Names"), page);
  parts_.dbgUserfn = new TVelaDBGrid(page);
  dbgUserfn()->setObjectName("dbgUserfn");
  // One row of captions: the grid keeps its designed height.
  dbgUserfn()->setFixedHeight(ScaledPx(dbgUserfn(), 120));
  dbgUserfn()->SetDataSource(dsUserd());
  dbgUserfn()->SetReadOnly(true);
  user->setBuddy(dbgUserfn());
  // Titles a person reads; the field names stay as the files have them.
  auto titled = [](TVelaDBGrid* grid, const char* field, const std::string& title) {
    TVelaColumn* column = grid->Columns().Add();
    column->SetFieldName(field);
    column->Title()->SetCaption(title);
  };
  titled(dbgUserfn(), "DataFile", FromQString(tr("Data file")));
  titled(dbgUserfn(), "Fldname1", FromQString(tr("Field 1 caption")));
  titled(dbgUserfn(), "Fldname2", FromQString(tr("Field 2 caption")));
  dbgUserfn()->OnDblClick = TGridNotifyEvent::Bind(this, &TfrmBlog::dbgUserfnDblClick);
  dbgUserfn()->OnExit = TGridNotifyEvent::Bind(this, &TfrmBlog::dbgUserfnExit);

  auto* grids = new QGridLayout;
  grids->setHorizontalSpacing(ScaledPx(page, 24));
  grids->addWidget(groups, 0, 0);
  grids->addWidget(dbgGroup(), 1, 0, 2, 1);
  grids->addWidget(user, 0, 1);
  grids->addWidget(dbgUserfn(), 1, 1);
  grids->setRowStretch(2, 1);
  grids->setColumnStretch(0, 2);
  grids->setColumnStretch(1, 3);
  PageLayout(page)->addLayout(grids);
  return page;
}

void TfrmBlog::FormCreate() {
  // The file system's bytes: a folder name is not Windows-1252 text.
  Veladb()->SetDatabasePath(QFile::encodeName(QDir::currentPath()).toStdString());
  OpenTables();
}

void TfrmBlog::OpenTables() {
  for (TVelaTable* table : {Userdef_(), BlogI_(), Group_()}) {
    TProgressScope progress(ProgressDialog1(), tr("Opening %1...").arg(ToQString(table->TableName())));
    table->SetActive(true);
  }
  OfferJournals();
  CopyUserFieldCaptions();
}

void TfrmBlog::CloseTables() {
  for (TVelaTable* table : {BlogI_(), Group_(), Userdef_()}) table->SetActive(false);
}

QString TfrmBlog::DataFolder() const {
  return QDir(QFile::decodeName(QByteArray::fromStdString(Veladb()->DatabasePath()))).absolutePath();
}

QString TfrmBlog::FolderProblem(const QString& folder) {
  if (!QFileInfo(folder).isDir()) return "it is not a folder";
  const QStringList missing = TableFiles(folder, false);
  if (missing.isEmpty()) return {};
  return QString("it does not hold %1").arg(missing.join(", "));
}

bool TfrmBlog::OpenDataFolder(const QString& wanted) {
  QString folder = QDir(wanted).absolutePath();
  if (!AskBeforeClosing()) return false;
  const QString previous = DataFolder();
  for (;;) {
    QString problem = FolderProblem(folder);
    if (problem.isEmpty()) {
      CloseTables();
      Veladb()->SetDatabasePath(QFile::encodeName(folder).toStdString());
      try {
        OpenTables();
        RememberDataFolder(folder);
        return true;
      } catch (const Exception& e) {
        problem = ToQString(e.Message());
      }
      // Back to the folder that was open, so that the window never stays empty.
      CloseTables();
      Veladb()->SetDatabasePath(QFile::encodeName(previous).toStdString());
      RunGuarded([this] { OpenTables(); });
    }
    const std::string question = FromQString(tr("Notarra cannot open the folder %1: %2. Choose another folder?")
                                                 .arg(QDir::toNativeSeparators(folder), problem));
    if (!ConfirmOkCancel(question)) return false;
    folder = OnChooseFolder ? OnChooseFolder(tr("Open Data Folder")) : QString();
    if (folder.isEmpty()) return false;
    folder = QDir(folder).absolutePath();
  }
}

bool TfrmBlog::NewDataFolder(const QString& wanted) {
  const QString folder = QDir(wanted).absolutePath();
  if (const QStringList there = TableFiles(folder, true); !there.isEmpty()) {
    ShowError(FromQString(tr("The folder %1 already holds %2; File > Open File opens it.")
                              .arg(QDir::toNativeSeparators(folder), there.front())));
    return false;
  }
  if (!AskBeforeClosing()) return false;
  try {
    CreateDataFolder(QFile::encodeName(folder).toStdString(), false);
  } catch (const TToolError& e) {
    ShowError(e.Message());
    return false;
  }
  return OpenDataFolder(folder);
}

void TfrmBlog::FillRecentFoldersMenu() {
  recentMenu_->clear();
  const QStringList folders = RecentDataFolders();
  for (int i = 0; i < folders.size(); ++i) {
    const QString folder = folders[i];
    QAction* action = recentMenu_->addAction(QString("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(folder)));
    connect(action, &QAction::triggered, this, [this, folder] { RunGuarded([&] { OpenDataFolder(folder); }); });
  }
  recentMenu_->setEnabled(!folders.isEmpty());
}

std::unique_ptr<QMessageBox> TfrmBlog::RestoreQuestionBox(QWidget* parent, int changes, const QDateTime& when) {
  auto box = std::make_unique<QMessageBox>(
      QMessageBox::Question, QApplication::applicationDisplayName(),
      tr("Notarra was not closed properly. Restore the %1 unsaved changes from %2?")
          .arg(changes)
          .arg(QLocale().toString(when, QLocale::ShortFormat)),
      QMessageBox::NoButton, parent);
  QPushButton* restore = box->addButton(tr("Restore"), QMessageBox::AcceptRole);
  box->addButton(tr("Discard"), QMessageBox::DestructiveRole);
  box->setDefaultButton(restore);
  // Escape and the title bar's close button lose nothing: they restore.
  box->setEscapeButton(restore);
  return box;
}

std::unique_ptr<QMessageBox> TfrmBlog::QuitQuestionBox(QWidget* parent) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Question, QApplication::applicationDisplayName(),
                                           QuitQuestion(),
                                           QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
  box->button(QMessageBox::Discard)->setText(tr("Don't Save"));
  box->setDefaultButton(QMessageBox::Save);
  box->setEscapeButton(QMessageBox::Cancel);
  return box;
}

void TfrmBlog::OfferJournals() {
  std::vector<TVelaTable*> left;
  int changes = 0;
  int64_t last = 0;
  auto keepAside = [](TVelaTable* table, const std::string& why) {
    const std::string kept = table->KeepJournalAside();
    ShowError(FromQString(tr("The unsaved changes to %1 cannot be restored: %2. They were kept in %3.")
                              .arg(ToQString(table->TableName()), ToQString(why), ToQString(kept))));
  };
  for (TVelaTable* table : {Userdef_(), BlogI_(), Group_()}) {
    if (!table->Active() || !table->LeftJournal()) continue;
    if (const std::string problem = table->LeftJournalProblem(); !problem.empty()) {
      keepAside(table, problem);
      continue;
    }
    left.push_back(table);
    changes += static_cast<int>(table->LeftJournal()->Entries.size());
    last = std::max(last, table->LeftJournal()->LastTime());
  }
  if (left.empty()) return;
  const auto box = RestoreQuestionBox(this, changes, QDateTime::fromMSecsSinceEpoch(last));
  box->exec();
  // Only Discard throws the changes away.
  const bool restore = box->buttonRole(box->clickedButton()) != QMessageBox::DestructiveRole;
  for (TVelaTable* table : left) {
    if (!restore) {
      table->DiscardJournal();
      continue;
    }
    try {
      table->RestoreJournal();
    } catch (const EDatabaseError& e) {
      keepAside(table, e.Message());
    }
  }
  UpdateModifiedMark();
}

bool TfrmBlog::HasUnsavedChanges() const {
  for (TVelaTable* table : {BlogI_(), Group_(), Userdef_()})
    if (table->Active() && table->ChangesPending()) return true;
  return false;
}

void TfrmBlog::UpdateModifiedMark() { setWindowModified(HasUnsavedChanges()); }

void TfrmBlog::JournalError(TVelaTable* table, const std::string& message) {
  // Once is enough: every later post would fail the same way.
  if (journalErrorShown_) return;
  journalErrorShown_ = true;
  ShowError(FromQString(tr("Changes to %1 cannot be kept safe from a crash until you save (%2).")
                            .arg(ToQString(table->TableName()), ToQString(message))));
}

void TfrmBlog::SettleEdits() {
  // Typed text is posted; a new row in which nothing was typed is dropped.
  for (TVelaTable* table : {BlogI_(), Group_(), Userdef_()})
    if (table->Active() && (table->State() == dsEdit || table->State() == dsInsert)) table->CheckBrowseMode();
}

bool TfrmBlog::AskBeforeClosing() {
  SettleEdits();
  if (!HasUnsavedChanges()) return true;
  switch (QuitQuestionBox(this)->exec()) {
    case QMessageBox::Save: return SaveAll();
    case QMessageBox::Discard:
      for (TVelaTable* table : {BlogI_(), Group_(), Userdef_()})
        if (table->Active()) table->CancelChanges();
      return true;
    default: return false;
  }
}

bool TfrmBlog::CommitData(bool mayAsk) {
  if (!mayAsk) return true;  // the journals keep what is unsaved
  bool close = false;
  RunGuarded([&] { close = AskBeforeClosing(); });
  return close;
}

void TfrmBlog::CloseKeepingJournals() {
  closeKeepingJournals_ = true;
  close();
}

std::string TfrmBlog::UserFieldCaption(TStringField* field) const {
  // A table that failed to open has no current record: no caption.
  return field->DataSet() && field->DataSet()->Active() ? field->EditText() : std::string();
}

std::array<std::string, 2> TfrmBlog::ListUserFieldTitles() const {
  return {VelaDBGrid1()->Columns()[3]->Title()->Caption(), VelaDBGrid1()->Columns()[4]->Title()->Caption()};
}

void TfrmBlog::CopyUserFieldCaptions() {
  if (PageControl1()->currentWidget() == TabSheet1()) {
    VelaDBGrid1()->Columns()[3]->Title()->SetCaption(UserFieldCaption(Userdef_Fldname1()));
    VelaDBGrid1()->Columns()[4]->Title()->SetCaption(UserFieldCaption(Userdef_Fldname2()));
  } else if (PageControl1()->currentWidget() == TabSheet2()) {
    Label9()->setText(ToQString(UserFieldCaption(Userdef_Fldname1())));
    Label10()->setText(ToQString(UserFieldCaption(Userdef_Fldname2())));
  }
}

void TfrmBlog::SaveButtonClick() { SaveAll(); }

bool TfrmBlog::SaveAll() {
  SettleEdits();
  const std::array<TVelaTable*, 3> tables = {BlogI_(), Group_(), Userdef_()};
  // Every question comes before any write: Cancel for any table stops the
  // whole Save, so it never leaves one table written and another not, and
  // all keep their changes in memory.
  for (TVelaTable* table : tables) {
    if (!table->Active() || !table->ChangesPending() || !table->FileChangedOnDisk()) continue;
    if (!ConfirmOkCancel(FileChangedQuestion(table->TableName()))) return false;
  }
  for (TVelaTable* table : tables) {
    if (!table->Active() || !table->ChangesPending()) continue;
    TProgressScope progress(ProgressDialog1(), tr("Saving %1...").arg(ToQString(table->TableName())));
    Veladb()->SaveDatasets({table});
  }
  UpdateModifiedMark();
  ideaStatus_->ShowSaved();
  return true;
}

void TfrmBlog::TableCallback(TObject*, int percent) { ProgressDialog1()->SetPercent(percent); }

void TfrmBlog::PageControl1Change() {
  const bool userPage = PageControl1()->currentWidget() == TabSheet3();
  Toolbar()->setEnabled(!userPage);
  DBNavigator1()->setEnabled(!userPage);
  CopyUserFieldCaptions();
}

void TfrmBlog::CreateFile1Click() {
  const QString folder = OnChooseFolder ? OnChooseFolder(tr("New Data Folder")) : QString();
  if (!folder.isEmpty()) NewDataFolder(folder);
}

void TfrmBlog::Open1Click() {
  const QString folder = OnChooseFolder ? OnChooseFolder(tr("Open Data Folder")) : QString();
  if (!folder.isEmpty()) OpenDataFolder(folder);
}

void TfrmBlog::Exit1Click() { close(); }

void TfrmBlog::HelpButtonClick() {
  TApplication* app = TApplication::Instance();
  if (!app) return;
  app->SetHelpFile("notarra.chm");
  app->HelpContext(30);
}

void TfrmBlog::Liscence1Click() {
  TAboutBox1 box(this);
  box.exec();
}

void TfrmBlog::VelaDBGrid1DblClick() {
  if (PageControl1()->currentWidget() != TabSheet1()) return;
  {
    // A page change of the program's own, not the user's: PageControl1Change
    // does not run, so the user-field labels keep their captions.
    const QSignalBlocker quiet(PageControl1());
    PageControl1()->setCurrentWidget(TabSheet2());
  }
  DBEsubject()->setFocus();
}

void TfrmBlog::VelaDBGrid1TitleClick(TVelaCustomDBGrid*, TVelaColumn* column) {
  BlogI_()->SetIndexFieldNames(column->FieldName());
}

void TfrmBlog::VelaDBGrid1DrawCellAttr(TVelaCustomDBGrid*, TVelaColumn*, TFont& font, QColor&, TGridDrawState) {
  const TDateTime published = BlogI_PubDate()->IsNull() ? 0 : BlogI_PubDate()->AsDateTime();
  // The locale's short date format may not read "01/01/2000" (a year-first
  // format); the boundary is 1 January 2000 either way.
  TDateTime boundary = 0;
  if (!TryStrToDate("01/01/2000", boundary)) boundary = EncodeDate(2000, 1, 1);
  if (published > boundary) font.Color = QColor(255, 0, 0);
}

void TfrmBlog::VelaDBGrid2DrawCellAttr(TVelaCustomDBGrid* sender, TVelaColumn* column, TFont& font, QColor& color,
                                       TGridDrawState state) {
  VelaDBGrid1DrawCellAttr(sender, column, font, color, state);
}

void TfrmBlog::dbgUserfnDblClick(TVelaCustomDBGrid*) { dbgUserfn()->SetReadOnly(false); }

void TfrmBlog::dbgUserfnExit(TVelaCustomDBGrid*) { dbgUserfn()->SetReadOnly(true); }

void TfrmBlog::WebButtonClick() { BlogI_()->SetIndexFieldNames("Subject;Group"); }

QString TfrmBlog::PrintTitle() const {
  return tr("Blog ideas \u2013 %1").arg(QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
}

int TfrmBlog::PrintList(QPagedPaintDevice* device) { return PrintGridList(VelaDBGrid1(), device, PrintTitle()); }

// The list is wide: it goes across the page unless the person turns it.
void SetUpListPrinter(QPrinter& printer) {
  printer.setDocName(TfrmBlog::tr("Blog ideas"));
  printer.setPageOrientation(QPageLayout::Landscape);
}

void TfrmBlog::Print1Click() {
  QPrinter printer(QPrinter::HighResolution);
  SetUpListPrinter(printer);
  if (OnSetUpPrinter(printer)) PrintList(&printer);
}

void TfrmBlog::PrintPreview1Click() {
  QPrinter printer(QPrinter::HighResolution);
  SetUpListPrinter(printer);
  QPrintPreviewDialog preview(&printer, this);
  preview.setWindowTitle(tr("Print Preview"));
  connect(&preview, &QPrintPreviewDialog::paintRequested, this,
          [this](QPrinter* p) { RunGuarded([&] { PrintList(p); }); });
  preview.exec();
}

void TfrmBlog::Filter1Click() {
  sfFilterD1()->SetDataSource(dsBlog());
  sfFilterD1()->SetCaption(FromQString(tr("Filter")));
  sfFilterD1()->Execute();
}

void TfrmBlog::RemoveFilter1Click() {
  sfFilterD1()->SetDataSource(dsBlog());
  sfFilterD1()->SetCaption(FromQString(tr("Filter")));
  sfFilterD1()->ClearFilter();
  sfFilterD1()->ApplyFilter();
}

void TfrmBlog::FormClose() { BlogI_()->SetActive(false); }

void TfrmBlog::closeEvent(QCloseEvent* event) {
  if (!closeKeepingJournals_) {
    // An error while posting or saving is shown and the window stays open.
    bool close = false;
    RunGuarded([&] { close = AskBeforeClosing(); });
    if (!close) {
      event->ignore();
      return;
    }
  }
  SaveSettings();
  RunGuarded([this] { FormClose(); });
  QMainWindow::closeEvent(event);
}

namespace {

constexpr const char* kGeometryKey = "window/geometry";
constexpr const char* kStateKey = "window/state";
constexpr const char* kPageKey = "window/page";
constexpr const char* kColumnsKey = "list/columns";  // "Field=width", in the order shown

}  // namespace

void TfrmBlog::SaveSettings() const {
  QSettings settings;
  settings.setValue(kGeometryKey, saveGeometry());
  settings.setValue(kStateKey, saveState());
  settings.setValue(kPageKey, PageControl1()->currentIndex());
  QStringList columns;
  const TVelaDBGridColumns& list = VelaDBGrid1()->Columns();
  for (int i = 0; i < list.Count(); ++i)
    columns << ToQString(list[i]->FieldName()) + "=" + QString::number(list[i]->Width());
  settings.setValue(kColumnsKey, columns);
}

void TfrmBlog::RestoreSettings() {
  QSettings settings;
  if (settings.contains(kGeometryKey)) restoreGeometry(settings.value(kGeometryKey).toByteArray());
  if (settings.contains(kStateKey)) restoreState(settings.value(kStateKey).toByteArray());
  const int page = settings.value(kPageKey, 0).toInt();
  if (page > 0 && page < PageControl1()->count()) PageControl1()->setCurrentIndex(page);
  // Columns as they were left: in that order and of those widths. A field
  // the list no longer shows is passed over; one it did not show stays behind.
  TVelaDBGridColumns& list = VelaDBGrid1()->Columns();
  int place = 0;
  for (const QString& entry : settings.value(kColumnsKey).toStringList()) {
    const std::string field = FromQString(entry.section('=', 0, 0));
    const int width = entry.section('=', 1).toInt();
    for (int i = place; i < list.Count(); ++i) {
      if (list[i]->FieldName() != field) continue;
      if (i != place) list.Move(i, place);
      if (width > 0) list[place]->SetWidth(width);
      ++place;
      break;
    }
  }
}

void TfrmBlog::Userdef_NewRecord(TDataSet*) { ShowMessage(FromQString(tr("New Records not supported in this version."))); }

void TfrmBlog::BlogI_AfterInsert(TDataSet*) {
  if (PageControl1()->currentWidget() == TabSheet2()) DBEsubject()->setFocus();
}

}  // namespace notarra
