#include "app/about_box.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "app/file_version_info.h"
#include "gui/dpi_scale.h"
#include "gui/exception_guard.h"
#include "gui/qt_text.h"
#include "platform/component.h"

namespace notarra {

namespace {

const char kLicence[] =
    "Notarra is free software: you may use, copy, change and pass it on, "
    "with or without changes, provided this notice stays with it.\n\n"
    "NO WARRANTY. Notarra is provided \"as is\", without warranty of any kind, "
    "express or implied, including the warranties of merchantability and fitness "
    "for a particular purpose. The whole risk as to its quality and performance is "
    "with you. In no event shall the authors be liable for any claim, damages or "
    "other liability arising from the use of the program.";

}  // namespace

TAboutBox1::TAboutBox1(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox1");
  setWindowTitle(tr("License & Warranty"));
  // A fixed form, laid out at 96 dots per inch and scaled to the screen.
  setFixedSize(ScaledSize(this, 402, 391));
  if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());

  auto* panel = new QFrame(this);
  panel->setObjectName("Panel1");
  panel->setFrameShape(QFrame::Panel);
  panel->setFrameShadow(QFrame::Sunken);
  panel->setGeometry(ScaledRect(this, 8, 8, 313, 137));

  auto* icon = new QLabel(panel);
  icon->setObjectName("ProgramIcon");
  icon->setGeometry(ScaledRect(this, 8, 8, 65, 57));
  icon->setPixmap(QIcon(":/notarra.png").pixmap(ScaledSize(this, 65, 57)));
  icon->setScaledContents(true);

  auto* title = new QLabel("Notarra  ", panel);
  title->setObjectName("ProductName");
  QFont bold = title->font();
  bold.setBold(true);
  bold.setPixelSize(ScaledPx(this, 19));
  title->setFont(bold);
  title->setGeometry(ScaledRect(this, 88, 12, 200, 24));

  auto* versionCaption = new QLabel(tr("Version"), panel);
  versionCaption->setGeometry(ScaledRect(this, 88, 40, 52, 16));
  label1_ = new QLabel(panel);
  label1_->setObjectName("Label1");
  label1_->setGeometry(ScaledRect(this, 144, 40, 160, 16));

  auto* copyright = new QLabel("Copyright (C) 2026 Notarra authors", panel);
  copyright->setGeometry(ScaledRect(this, 88, 64, 220, 16));
  auto* contact = new QLabel("Contact: authors@notarra.example", panel);
  contact->setGeometry(ScaledRect(this, 88, 84, 220, 16));

  label2_ = new QLabel("www.notarra.example", panel);
  label2_->setObjectName("Label2");
  label2_->setGeometry(ScaledRect(this, 88, 108, 220, 18));
  QFont link = label2_->font();
  link.setBold(true);
  link.setUnderline(true);
  label2_->setFont(link);
  label2_->setStyleSheet("color: blue");
  label2_->setCursor(Qt::PointingHandCursor);
  label2_->installEventFilter(this);

  auto* licence = new QPlainTextEdit(QString::fromLatin1(kLicence), this);
  licence->setObjectName("LicenceText");
  licence->setReadOnly(true);
  licence->setGeometry(ScaledRect(this, 8, 152, 386, 186));

  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName("OKButton");
  ok->setDefault(true);
  ok->setGeometry(ScaledRect(this, 103, 348, 75, 25));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  fileVersionInfo1_ = std::make_unique<TFileVersionInfo>();
  fileVersionInfo1_->SetName("FileVersionInfo1");
  RunGuarded([this] { FormCreate(); });
}

TAboutBox1::~TAboutBox1() = default;

QString TAboutBox1::ProgramFileName() {
#ifdef _WIN32
  const char* name = "notarra.exe";
#else
  const char* name = "notarra";
#endif
  return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

void TAboutBox1::FormCreate() {
  // The program's file name, looked for in the folder of the running
  // program rather than in the working directory: the working directory is
  // the data folder, so a bare relative name would never find it. A program
  // file under another name still shows no version.
  fileVersionInfo1_->SetFileName(QFile::encodeName(ProgramFileName()).toStdString());
  label1_->setText(ToQString(fileVersionInfo1_->StringInfoByIndex(3)));
}

QUrl TAboutBox1::WebAddressUrl(const QString& caption) {
  // An address that names its scheme already is taken as it is; "https://"
  // must not become "http://https://".
  if (caption.startsWith("http://") || caption.startsWith("https://")) return QUrl(caption);
  return QUrl("http://" + caption);
}

void TAboutBox1::Label2DblClick() { QDesktopServices::openUrl(WebAddressUrl(label2_->text())); }

bool TAboutBox1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == label2_ && event->type() == QEvent::MouseButtonDblClick) {
    RunGuarded([this] { Label2DblClick(); });
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace notarra
