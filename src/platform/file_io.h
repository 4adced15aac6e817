// File access. A table is read whole and written whole; writing never leaves
// a damaged file behind: the bytes go to a temporary file in the same folder,
// are flushed to disk and the temporary file is renamed over the target,
// keeping the old file's permissions. On any failure the old file is
// untouched and EInOutError names the file and the reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/types.h>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace notarra {

// What tells one version of a file from the next: the file itself (device and
// inode; a safe write always puts a new file in place), its size and its
// modification time to the nanosecond. The time alone is not enough: two
// writes within one tick of the file system's clock share it, so a change of
// size or of file is what catches those. Exists is false when there was no
// file to look at (or it could not be looked at).
struct TFileIdentity {
  bool Exists = false;
  uint64_t Device = 0;
  uint64_t Inode = 0;
  int64_t Size = 0;
  int64_t ModifiedSeconds = 0;
  int64_t ModifiedNanoseconds = 0;
  bool operator==(const TFileIdentity&) const = default;
};

// The identity of the file the path names now, through symbolic links.
TFileIdentity FileIdentity(const std::string& path);
// The identity of an open file: the one that is being read, whatever the
// path names by now.
TFileIdentity FileIdentityOfOpenFile(int fd);

bool FileExists(const std::string& path);
// Whole file into out (replacing its contents); EInOutError "Cannot open file <path>: <reason>".
void ReadWholeFile(const std::string& path, std::string& out);
// The same read into a buffer the caller provides: buffer(n) returns room for
// n bytes and keeps what an earlier call returned (n only grows). Returns the
// number of bytes read; EInOutError as above.
std::size_t ReadWholeFileInto(const std::string& path, const std::function<char*(std::size_t)>& buffer);
// EInOutError "Cannot write file <path>: <reason>". Returns the identity of
// the file written, taken before it replaced the old one, so that a write by
// someone else right after ours is not mistaken for ours.
TFileIdentity WriteFileSafely(const std::string& path, const void* data, std::size_t size);
// A safe write piece by piece, for what is too big to build in memory first:
// the bytes go to a temporary file beside the target, and Commit flushes it
// and renames it over the target (keeping the old file's permissions, or
// newFileMode, else 0666 less the umask, for a new one). Without Commit, or
// when anything fails, the temporary file is removed and the target stays
// as it was. EInOutError "Cannot write file <path>: <reason>".
class TTempFileRecord;
class TSafeFileWriter {
public:
  explicit TSafeFileWriter(const std::string& path, const mode_t* newFileMode = nullptr);
  ~TSafeFileWriter();
  TSafeFileWriter(const TSafeFileWriter&) = delete;
  TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;

  void Write(const void* data, std::size_t size);
  // Overwrites bytes already written (a header whose counts come last).
  void WriteAt(int64_t offset, const void* data, std::size_t size);
  // Appends size bytes of the open file fd from offset, which are also at
  // data: copied inside the kernel where the two files allow it (without
  // passing through this process), else written from data.
  void CopyFrom(int fd, int64_t offset, const void* data, std::size_t size);
  int64_t Written() const { return written_; }
  // Returns the identity of the file written, as WriteFileSafely does.
  TFileIdentity Commit();

private:
  [[noreturn]] void Fail(int err);
  std::string path_, target_, dir_, tempPath_;
  int fd_ = -1;
  int64_t written_ = 0;
  bool committed_ = false;
  std::unique_ptr<TTempFileRecord> record_;  // on record for the signal handler until the end
};

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

// From now on, every signal whose default ends the process and that comes
// from outside (SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT, SIGALRM, SIGUSR1,
// the real-time signals, ...) first removes the temporary files of the safe
// writes in progress and then ends the process as the signal would have;
// SIGXFSZ is ignored, so that a write past the file-size limit fails like
// one on a full disk. Signals the caller set to be ignored or handles stay as
// they are. For programs that keep the default actions (the command-line tool).
void RemoveTemporaryFilesOnSignals();

}  // namespace notarra
