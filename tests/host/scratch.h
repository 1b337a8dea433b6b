// POSIX helpers for tests that write files: a scratch folder per test, whole-file reads and writes,
// and running a piece of a test in a child process under limits the parent must not take on.
#ifndef MORVANE_TESTS_HOST_SCRATCH_H_
#define MORVANE_TESTS_HOST_SCRATCH_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace morvane_test {

// A new folder under $TMPDIR (or /tmp), removed with everything in it when destroyed, whatever
// permissions the test left on it. Readable and searchable by everyone, so that a test may drop
// its privileges and still reach it.
class ScratchDir {
 public:
  ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  ~ScratchDir();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// False when the file cannot be read.
bool ReadBytes(const std::string& path, std::vector<uint8_t>* bytes);
// Aborts when the file cannot be written.
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// The names in a folder, sorted, without "." and "..".
std::vector<std::string> ListNames(const std::string& dir);

// Runs `body` in a forked child and returns its result as the child's exit code (0..255), or
// 128 + the signal that ended it. The child leaves with _exit, running no test teardown.
int RunInChild(const std::function<int()>& body);

// For use inside a child: when running as root, becomes the unprivileged user "nobody" (65534) so
// that file permissions apply. False when that is not possible.
bool DropRootInChild();

// Exit code a child returns for "this machine cannot run the check".
constexpr int kChildSkip = 77;

}  // namespace morvane_test

#endif  // MORVANE_TESTS_HOST_SCRATCH_H_
