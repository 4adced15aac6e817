// TFolderLock: an advisory lock that makes processes which rewrite a file
// take turns. A file is saved by replacing it (safe writing renames a new
// file over it), so a lock on the file itself would be left behind on the old
// copy; the lock is held on the folder that holds the file instead (links
// followed), and survives every replace. Rewrites of any file in that folder
// wait for each other; readers never take it and never wait.
//
// The constructor waits until the lock is free; the destructor (or the end
// of the process) releases it. EInOutError "Cannot lock folder <dir>: <reason>".
#pragma once

#include <string>

namespace notarra {

class TFolderLock {
public:
  // Locks the folder that holds path (which need not exist yet).
  explicit TFolderLock(const std::string& path);
  ~TFolderLock();
  TFolderLock(const TFolderLock&) = delete;
  TFolderLock& operator=(const TFolderLock&) = delete;

private:
  int fd_ = -1;
};

}  // namespace notarra
