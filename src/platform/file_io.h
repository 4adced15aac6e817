// File access. A table is read whole and written whole; writing never leaves
// a damaged file behind: the bytes go to a temporary file in the same folder,
// are flushed to disk and the temporary file is renamed over the target,
// keeping the old file's permissions. On any failure the old file is
// untouched and EInOutError names the file and the reason.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace notarra {

bool FileExists(const std::string& path);
// Whole file into out (replacing its contents); EInOutError "Cannot open file <path>: <reason>".
void ReadWholeFile(const std::string& path, std::string& out);
// The same read into a buffer the caller provides: buffer(n) returns room for
// n bytes and keeps what an earlier call returned (n only grows). Returns the
// number of bytes read; EInOutError as above.
std::size_t ReadWholeFileInto(const std::string& path, const std::function<char*(std::size_t)>& buffer);
// EInOutError "Cannot write file <path>: <reason>".
void WriteFileSafely(const std::string& path, const void* data, std::size_t size);
// Copies from to to, replacing to safely. EInOutError naming the file that failed.
void CopyFileSafely(const std::string& from, const std::string& to);
// "dir/name.d" + ".~d" -> "dir/name.~d"; a name without extension gets it appended.
std::string ChangeFileExt(std::string_view path, std::string_view ext);
std::string GetCurrentDir();

// Whether both paths name one file once links are followed (also through a
// hard link); false when either does not exist.
bool SameFile(const std::string& a, const std::string& b);
// Whether the file exists (links followed) and its owner may not write it.
bool FileIsReadOnly(const std::string& path);

// From now on, SIGINT, SIGTERM, SIGHUP and SIGPIPE first remove the temporary
// files of the safe writes in progress and then end the process as the
// signal would have. For programs that keep the default action of those
// signals (the command-line tool); the target files stay as they were.
void RemoveTemporaryFilesOnSignals();

}  // namespace notarra
