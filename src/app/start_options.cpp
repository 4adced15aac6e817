#include "app/start_options.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "app/version_block.h"
#include "platform/exceptions.h"
#include "tools/idea_schema.h"
#include "tools/tool_error.h"

namespace notarra {

namespace {

constexpr const char* kLastFolderKey = "folders/last";
constexpr const char* kRecentFoldersKey = "folders/recent";
constexpr int kRecentFolders = 8;
constexpr const char* kTableFiles[] = {kIdeaTableName, kGroupTableName, kUserTableName};

}  // namespace

TStartOptions ParseStartArguments(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription("Notarra keeps ideas for blog posts in a data folder of three tables "
                                   "(Blog_Ideas.d, group.d, User.d).");
  const QCommandLineOption help({"h", "help"}, "Show this help and end.");
  const QCommandLineOption version({"v", "version"}, "Show the version and end.");
  parser.addOption(help);
  parser.addOption(version);
  parser.addPositionalArgument("DIR", "The data folder to open (default: the working directory when it holds "
                                      "the tables, else the last folder used, else your own data folder).",
                               "[DIR]");
  TStartOptions options;
  if (!parser.parse(arguments)) {
    options.Exit = true;
    options.ExitCode = 2;
    options.Message = "notarra: " + parser.errorText() + "\nTry 'notarra --help'.\n";
    return options;
  }
  if (parser.isSet(help)) {
    options.Exit = true;
    // The parser names the program after the application object, which may
    // not exist yet (or be another program's, in a test).
    const QString text = parser.helpText();
    options.Message = "Usage: notarra" + text.mid(text.indexOf(" [options]"));
    return options;
  }
  if (parser.isSet(version)) {
    options.Exit = true;
    options.Message = "notarra " + QString::fromLatin1(ProgramVersionText().data(),
                                                       static_cast<qsizetype>(ProgramVersionText().size())) + "\n";
    return options;
  }
  const QStringList folders = parser.positionalArguments();
  if (folders.size() > 1) {
    options.Exit = true;
    options.ExitCode = 2;
    options.Message = "notarra: one data folder at most, not " + QString::number(folders.size()) +
                      "\nTry 'notarra --help'.\n";
    return options;
  }
  options.Folder = folders.isEmpty() ? DefaultDataFolder() : QDir(folders.front()).absolutePath();
  return options;
}

QStringList TableFiles(const QString& folder, bool present) {
  const QDir dir(folder);
  QStringList names;
  for (const char* name : kTableFiles) {
    const QFileInfo file(dir.filePath(QString::fromLatin1(name)));
    if (present ? file.exists() || file.isSymLink() : !file.isFile()) names << QString::fromLatin1(name);
  }
  return names;
}

bool HoldsTables(const QString& folder) { return TableFiles(folder, false).isEmpty(); }

QString DefaultDataFolder() {
  const QString here = QDir::currentPath();
  if (HoldsTables(here)) return here;
  const QString last = QSettings().value(kLastFolderKey).toString();
  if (!last.isEmpty() && HoldsTables(last)) return last;
  return OwnDataFolder();
}

QString OwnDataFolder() { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/notarra"; }

bool PrepareDataFolder(const QString& folder, QString& error) {
  if (QDir(folder).absolutePath() != QDir(OwnDataFolder()).absolutePath()) return true;
  if (!TableFiles(folder, true).isEmpty()) return true;
  try {
    CreateDataFolder(QFile::encodeName(folder).toStdString(), false);
  } catch (const TToolError& e) {
    error = QString::fromStdString(e.Message());
    return false;
  } catch (const Exception& e) {
    error = QString::fromStdString(e.Message());
    return false;
  }
  return true;
}

void RememberDataFolder(const QString& folder) {
  QSettings settings;
  const QString path = QDir(folder).absolutePath();
  settings.setValue(kLastFolderKey, path);
  QStringList recent = settings.value(kRecentFoldersKey).toStringList();
  recent.removeAll(path);
  recent.prepend(path);
  while (recent.size() > kRecentFolders) recent.removeLast();
  settings.setValue(kRecentFoldersKey, recent);
}

QStringList RecentDataFolders() { return QSettings().value(kRecentFoldersKey).toStringList(); }

}  // namespace notarra
