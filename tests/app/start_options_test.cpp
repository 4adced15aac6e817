// The program's command line and the data folder it opens.
#include "app/start_options.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

#include "app/version_block.h"
#include "app_test_support.h"
#include "data_folder.h"

namespace {

using namespace apptest;

TStartOptions Parse(const QStringList& arguments) { return ParseStartArguments(QStringList{"notarra"} + arguments); }

TEST(StartOptions, HelpVersionAndWrongArgumentsEndAtOnce) {
  const TStartOptions help = Parse({"--help"});
  EXPECT_TRUE(help.Exit);
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_TRUE(help.Message.startsWith("Usage: notarra [options] [DIR]")) << help.Message.toStdString();
  EXPECT_TRUE(Parse({"-h"}).Exit);

  const TStartOptions version = Parse({"--version"});
  EXPECT_TRUE(version.Exit);
  EXPECT_EQ(version.ExitCode, 0);
  EXPECT_EQ(version.Message.toStdString(), "notarra " + std::string(ProgramVersionText()) + "\n");

  const TStartOptions unknown = Parse({"--colour"});
  EXPECT_TRUE(unknown.Exit);
  EXPECT_EQ(unknown.ExitCode, 2);
  EXPECT_TRUE(unknown.Message.contains("colour")) << unknown.Message.toStdString();
  EXPECT_EQ(Parse({"one", "two"}).ExitCode, 2);
}

TEST(StartOptions, AFolderNamedIsOpenedAsAnAbsolutePath) {
  const TStartOptions options = Parse({"some/folder"});
  EXPECT_FALSE(options.Exit);
  EXPECT_EQ(options.Folder, QDir::current().absoluteFilePath("some/folder"));
  // A folder whose name begins with a dash, after "--".
  EXPECT_EQ(Parse({"--", "-odd"}).Folder, QDir::current().absoluteFilePath("-odd"));
}

class DefaultFolder : public ::testing::Test {
protected:
  void SetUp() override {
    before = QDir::currentPath();
    QSettings().clear();
  }
  void TearDown() override {
    QDir::setCurrent(before);
    QSettings().clear();
    QDir(OwnDataFolder()).removeRecursively();
  }
  QString before;
};

TEST_F(DefaultFolder, TheWorkingDirectoryWithTablesThenTheLastFolderThenOurOwn) {
  DataFolder here, last;
  TempDir empty;
  const QString herePath = QString::fromStdString(here.dir.Path().string());
  const QString lastPath = QString::fromStdString(last.dir.Path().string());

  QDir::setCurrent(herePath);
  EXPECT_EQ(DefaultDataFolder(), herePath);
  QDir::setCurrent(QString::fromStdString(empty.Path().string()));
  EXPECT_EQ(DefaultDataFolder(), OwnDataFolder());
  RememberDataFolder(herePath);
  RememberDataFolder(lastPath);
  EXPECT_EQ(DefaultDataFolder(), lastPath);
  EXPECT_EQ(RecentDataFolders(), (QStringList{lastPath, herePath}));
  RememberDataFolder(herePath);  // once in the list, at its head
  EXPECT_EQ(RecentDataFolders(), (QStringList{herePath, lastPath}));
  // A last folder that lost its tables is passed over.
  QFile::remove(QDir(herePath).filePath("group.d"));
  EXPECT_EQ(DefaultDataFolder(), OwnDataFolder());
}

TEST_F(DefaultFolder, OurOwnFolderGetsItsEmptyTablesOnItsFirstUseOnly) {
  QString error;
  ASSERT_TRUE(PrepareDataFolder(OwnDataFolder(), error)) << error.toStdString();
  EXPECT_TRUE(HoldsTables(OwnDataFolder()));
  // Any other folder, or ours once it holds a table, is left as it is.
  QFile::remove(QDir(OwnDataFolder()).filePath("group.d"));
  ASSERT_TRUE(PrepareDataFolder(OwnDataFolder(), error));
  EXPECT_FALSE(QFileInfo::exists(QDir(OwnDataFolder()).filePath("group.d")));
  TempDir other;
  const QString otherPath = QString::fromStdString(other.Path().string());
  ASSERT_TRUE(PrepareDataFolder(otherPath, error));
  EXPECT_TRUE(QDir(otherPath).isEmpty());
}

// The program itself, without a display: --help and --version print and end
// before any window is wanted; an unknown option ends it with status 2.
TEST(StartOptions, TheProgramAnswersWithoutADisplay) {
  auto run = [](const QStringList& arguments, QString& out) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "xcb");
    program.setProcessEnvironment(env);
    program.start(NOTARRA_PROGRAM, arguments);
    EXPECT_TRUE(program.waitForFinished(30000));
    out = QString::fromLocal8Bit(program.readAllStandardOutput() + program.readAllStandardError());
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
  };
  QString out;
  EXPECT_EQ(run({"--version"}, out), 0);
  EXPECT_EQ(out.toStdString(), "notarra " + std::string(ProgramVersionText()) + "\n");
  EXPECT_EQ(run({"--help"}, out), 0);
  EXPECT_TRUE(out.contains("[DIR]"));
  EXPECT_EQ(run({"--bogus"}, out), 2);
  EXPECT_TRUE(out.contains("Unknown option 'bogus'")) << out.toStdString();
}

}  // namespace
