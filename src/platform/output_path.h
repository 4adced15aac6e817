// Where output goes: one place decides what a path names (links followed)
// and how to write there. A table or a file is only ever replaced where the
// path is a regular file or names nothing yet; a FIFO, a terminal, a device
// or a pipe (/dev/stdout, >(cmd)) is written into as a stream, never
// replaced by a file of ours.
#pragma once

#include <cstddef>
#include <string>

namespace notarra {

enum class TPathKind {
  Absent,        // nothing there (the parent folder may still be missing)
  RegularFile,
  Stream,        // FIFO, character device or socket
  Folder,
  DanglingLink,  // a symbolic link to nothing: writing would replace the link
  Other,         // block device and the like
  Unreachable,   // cannot be looked at (a folder on the way may not be searched)
};

// What the path names; for Unreachable, error (when given) gets the errno.
TPathKind PathKind(const std::string& path, int* error = nullptr);

// Whether a table may be written at the path: absent or a regular file.
// Otherwise EInOutError "X is a folder" / "X is a link to nothing" / "X is not
// a regular file; a table is only written to a regular file".
void CheckReplaceable(const std::string& path);

// Writes data at the path: into it when it is a stream, else safely
// replacing it (WriteFileSafely) after CheckReplaceable. EInOutError names
// the path on failure.
void WriteOutput(const std::string& path, const void* data, std::size_t size);

}  // namespace notarra
