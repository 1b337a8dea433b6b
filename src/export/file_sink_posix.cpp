// The file calls of file_calls.h on POSIX: file names are bytes, given as UTF-8.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "export/file_calls.h"
#include "export/path_text.h"

namespace morvane {
namespace os {
namespace {

int Descriptor(FileHandle file) { return static_cast<int>(file); }

// File names here are bytes; the library hands them UTF-8. Returns null for a missing, empty or
// malformed path. `owned` keeps a converted wide path alive.
const char* NativePath(const CallerPath& path, PathText& owned) {
  const char* bytes = path.utf8;
  if (path.utf16 != nullptr) {
    const size_t size = Utf8SizeOfUtf16(path.utf16);
    if (size == kBadText) return nullptr;
    if (!owned.Allocate(size + 1)) return nullptr;
    EncodeUtf8(path.utf16, owned.get());
    bytes = owned.get();
  } else if (bytes != nullptr && !IsValidUtf8(bytes)) {
    return nullptr;
  }
  return bytes != nullptr && bytes[0] != '\0' ? bytes : nullptr;
}

// Saving through a symbolic link updates the file it points to and keeps the link, as writing to
// the path would. A dangling link is replaced like a missing file. `owned` may hold `path`, which
// is read before it goes.
const char* FollowLink(const char* path, PathText& owned) {
  struct stat st;
  if (lstat(path, &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* const real = realpath(path, nullptr);
  if (real == nullptr) return path;
  owned.Reset(real);
  return real;
}

}  // namespace

const char kFolderSeparator = '/';
const char kTempNamePrefix[] = ".morvane-";

const char* ResolveTarget(const CallerPath& path, PathText& owned) {
  const char* given = NativePath(path, owned);
  return given != nullptr ? FollowLink(given, owned) : nullptr;
}

Target InspectTarget(const char* target, OldFile* old) {
  struct stat st;
  if (stat(target, &st) != 0) return Target::kMissing;
  // Devices and pipes cannot be replaced, only written; a folder fails to open for writing.
  if (!S_ISREG(st.st_mode)) return Target::kRewriteOnly;
  // Renaming would replace a file the caller may not write; opening it would have failed.
  if (faccessat(AT_FDCWD, target, W_OK, AT_EACCESS) != 0) return Target::kRefused;
  *old = OldFile{st.st_uid, st.st_gid, st.st_mode};
  return Target::kReplaceable;
}

// The mode 0666 lets the umask and any default ACL of the folder decide, as for any newly created
// file.
Created CreateNewFile(const char* name, FileHandle* file) {
  const int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0) {
    *file = fd;
    return Created::kDone;
  }
  if (errno == EEXIST) return Created::kNameTaken;
  return errno == EACCES || errno == EPERM ? Created::kFolderRefused : Created::kFailed;
}

uint32_t ProcessId() { return static_cast<uint32_t>(getpid()); }

void CarryOver(FileHandle file, const OldFile& old) {
  // The owner and group where we may set them, so that those who shared the old file keep their
  // access, and its permissions.
  const int fd = Descriptor(file);
  if (fchown(fd, old.owner, old.group) != 0 && fchown(fd, static_cast<uid_t>(-1), old.group) != 0) {
    // Neither is ours to give away: the new file stays ours, with the old permissions.
  }
  fchmod(fd, old.mode & 0777);
}

FileHandle OpenToRewrite(const char* target) {
  const int fd = open(target, O_WRONLY | O_TRUNC | O_CLOEXEC);
  return fd >= 0 ? fd : kNoFile;
}

size_t WriteSome(FileHandle file, const uint8_t* data, size_t size) {
  ssize_t n;
  do {
    n = write(Descriptor(file), data, size);
  } while (n < 0 && errno == EINTR);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

bool Flush(FileHandle file) { return fsync(Descriptor(file)) == 0; }

bool Close(FileHandle file) { return close(Descriptor(file)) == 0; }

bool MoveOver(const char* from, const char* to) { return rename(from, to) == 0; }

void Remove(const char* name) { unlink(name); }

}  // namespace os
}  // namespace morvane
