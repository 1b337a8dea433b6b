#include <dirent.h>
#include <errno.h>
#include <ftw.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "host/scratch.h"

namespace morvane_test {
namespace {

[[noreturn]] void Die(const char* what, const std::string& path) {
  std::perror((std::string(what) + " " + path).c_str());
  std::abort();
}

int MakeWritable(const char* path, const struct stat* st, int type, struct FTW*) {
  if (type == FTW_D || type == FTW_DNR) chmod(path, (st->st_mode & 07777) | 0700);
  return 0;
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  std::remove(path);
  return 0;
}

}  // namespace

ScratchDir::ScratchDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/morvane-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) Die("mkdtemp", pattern);
  path_ = pattern;
  chmod(path_.c_str(), 0755);
}

ScratchDir::~ScratchDir() {
  nftw(path_.c_str(), MakeWritable, 16, FTW_PHYS);
  nftw(path_.c_str(), RemoveEntry, 16, FTW_PHYS | FTW_DEPTH);
}

bool ReadBytes(const std::string& path, std::vector<uint8_t>* bytes) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  bytes->clear();
  uint8_t chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
    bytes->insert(bytes->end(), chunk, chunk + n);
  const bool ok = std::ferror(f) == 0;
  std::fclose(f);
  return ok;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) Die("fopen", path);
  if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
    Die("fwrite", path);
  }
}

std::vector<std::string> ListNames(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) Die("opendir", dir);
  while (const dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

int RunInChild(const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) Die("fork", "");
  if (pid == 0) _exit(body());
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) Die("waitpid", "");
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool DropRootInChild() {
  if (geteuid() != 0) return true;
  constexpr uid_t kNobody = 65534;
  return setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0 &&
         geteuid() == kNobody;
}

}  // namespace morvane_test
