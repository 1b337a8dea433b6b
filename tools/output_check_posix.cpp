#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "output_check.h"

namespace morvane_tool {
namespace {

std::string Reason(int error) { return std::strerror(error); }

// The folder a new file at `path` would be made in.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string WhyNotWritten(const std::string& path, uint64_t file_bytes) {
  // The save writes through a symbolic link to the file it names.
  std::string target = path;
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* resolved = realpath(path.c_str(), nullptr)) {
      target = resolved;
      free(resolved);
    }
  }
  if (stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return Reason(EISDIR);
    if (!S_ISREG(st.st_mode)) {
      // A device or a pipe is written in place; O_NONBLOCK keeps a pipe without a reader from
      // holding the tool up.
      const int fd = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd < 0) return Reason(errno);
      close(fd);
    } else if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
      return Reason(errno);
    }
  } else if (errno != ENOENT) {
    return Reason(errno);  // a file where a folder should be, a folder that may not be searched
  }

  // The save makes its file under a new name beside the target: can one be made there?
  const std::string folder = FolderOf(target);
  const std::string probe =
      folder + "/.morvane-probe-" + std::to_string(static_cast<long>(getpid())) + ".tmp";
  const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return Reason(errno);
  close(fd);
  unlink(probe.c_str());

  struct statvfs space;
  if (statvfs(folder.c_str(), &space) == 0 &&
      uint64_t(space.f_bavail) * uint64_t(space.f_frsize) < file_bytes) {
    return Reason(ENOSPC);
  }
  return "the file could not be written in full or put in its place";
}

}  // namespace morvane_tool
