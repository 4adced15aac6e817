// What the program is asked to do when it starts, and which data folder it
// opens. notarra [DIR]: DIR when given; else the working directory when it
// holds the tables (a start from a terminal in the data folder); else the
// last folder used, while it still holds them; else the user's own data
// folder ($XDG_DATA_HOME/notarra), where the desktop launcher makes the empty
// tables on its first start. --help and --version print and end the program
// before any window opens; an unknown option ends it with status 2.
#pragma once

#include <QString>
#include <QStringList>

namespace notarra {

struct TStartOptions {
  bool Exit = false;   // end at once with ExitCode, after printing Message
  int ExitCode = 0;
  QString Message;     // for standard output (help, version) or, with ExitCode != 0, standard error
  QString Folder;      // the data folder to open; empty until chosen
};

// The user's own data folder, $XDG_DATA_HOME/notarra.
QString OwnDataFolder();
// Makes the user's own data folder and its empty tables when it is the one
// to open and holds none of them yet (its first use), as the launcher does.
// Any other folder is left as it is. Returns false with the reason when the
// folder or a table cannot be made.
bool PrepareDataFolder(const QString& folder, QString& error);

// arguments as the program got them, its own name first.
TStartOptions ParseStartArguments(const QStringList& arguments);
// The folder to open when none was given (see above); never empty.
QString DefaultDataFolder();
// The names of the three table files that are in the folder (anything by
// that name counts), or with present false those that are not there as files.
QStringList TableFiles(const QString& folder, bool present);
// Whether the folder holds the three tables.
bool HoldsTables(const QString& folder);
// The settings remember the folder as the last one used and first of the recent ones.
void RememberDataFolder(const QString& folder);
QStringList RecentDataFolders();

}  // namespace notarra
