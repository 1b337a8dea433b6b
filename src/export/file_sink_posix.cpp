#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "export/file_sink.h"
#include "export/path_text.h"
#include "heap_block.h"

namespace morvane {
namespace {

using Text = HeapBlock<char>;

// File names here are bytes; the library hands them UTF-8. Returns null for a missing, empty or
// malformed path. `owned` keeps a converted wide path alive.
const char* NativePath(const CallerPath& path, Text& owned) {
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
// the path would. A dangling link is replaced like a missing file.
const char* FollowLink(const char* path, Text& owned) {
  struct stat st;
  if (lstat(path, &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  owned.Reset(realpath(path, nullptr));
  return owned ? owned.get() : path;
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  constexpr size_t kMostPerCall = size_t{1} << 30;
  while (size > 0) {
    const ssize_t n = write(fd, data, std::min(size, kMostPerCall));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Creates a new, empty file beside `target` with a name no one else uses. The mode 0666 lets the
// umask and any default ACL of the folder decide, as for any newly created file. Returns the
// descriptor, or -1 with errno set.
int CreateTemporary(const char* target, Text& name) {
  static std::atomic<unsigned> counter{0};
  const char* slash = std::strrchr(target, '/');
  const size_t folder = slash != nullptr ? static_cast<size_t>(slash - target) + 1 : 0;
  constexpr size_t kNameRoom = 48;
  if (!name.Allocate(folder + kNameRoom)) {
    errno = ENOMEM;
    return -1;
  }
  std::memcpy(name.get(), target, folder);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::snprintf(name.get() + folder, kNameRoom, ".morvane-%ld-%u.tmp",
                  static_cast<long>(getpid()), counter++);
    const int fd = open(name.get(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

int32_t WriteInPlace(const char* target, const uint8_t* data, size_t size) {
  const int fd = open(target, O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) return SAVE_BADFILE;
  bool ok = WriteAll(fd, data, size);
  ok = close(fd) == 0 && ok;
  return ok ? SAVE_DONE : SAVE_BADFILE;
}

}  // namespace

int32_t PlaceFile(const CallerPath& path, const uint8_t* data, size_t size) {
  Text converted, resolved, temp;
  const char* given = NativePath(path, converted);
  if (given == nullptr) return SAVE_BADFILE;
  const char* target = FollowLink(given, resolved);

  struct stat old;
  const bool exists = stat(target, &old) == 0;
  // Devices and pipes cannot be replaced, only written; a folder fails to open for writing.
  if (exists && !S_ISREG(old.st_mode)) return WriteInPlace(target, data, size);
  // Renaming would replace a file the caller may not write; opening it would have failed.
  if (exists && faccessat(AT_FDCWD, target, W_OK, AT_EACCESS) != 0) return SAVE_BADFILE;

  const int fd = CreateTemporary(target, temp);
  if (fd < 0) {
    // A folder that forbids new names can still hold a file its owner lets us rewrite.
    const bool folder_refused = errno == EACCES || errno == EPERM;
    return exists && folder_refused ? WriteInPlace(target, data, size) : SAVE_BADFILE;
  }
  if (exists) {
    // The replacement keeps the old file's owner and group where we may set them, so that those
    // who shared the old file keep their access, and its permissions.
    if (fchown(fd, old.st_uid, old.st_gid) != 0 &&
        fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
      // Neither is ours to give away: the new file stays ours, with the old permissions.
    }
    fchmod(fd, old.st_mode & 0777);
  }
  // Flushed before the rename, so that after a crash the name holds the old file or the new one.
  bool ok = WriteAll(fd, data, size) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (ok && rename(temp.get(), target) == 0) return SAVE_DONE;
  unlink(temp.get());
  return SAVE_BADFILE;
}

}  // namespace morvane
