// PlaceFile for every platform, over the calls of file_calls.h.
#include <algorithm>
#include <atomic>

#include "export/file_calls.h"
#include "export/file_sink.h"

namespace morvane {
namespace {

using os::FileHandle;
using os::PathChar;
using os::PathText;

bool WriteAll(FileHandle file, const uint8_t* data, size_t size) {
  // One call takes at most this much, which every platform's write can count.
  constexpr size_t kMostPerCall = size_t{1} << 30;
  while (size > 0) {
    const size_t written = os::WriteSome(file, data, std::min(size, kMostPerCall));
    if (written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

// Writes the ASCII `text` as path characters with its terminator; returns where that went.
PathChar* AppendText(PathChar* out, const char* text) {
  while ((*out = static_cast<PathChar>(*text++)) != 0) ++out;
  return out;
}

PathChar* AppendDecimal(PathChar* out, uint32_t value) {
  PathChar digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<PathChar>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n > 0) *out++ = digits[--n];
  return out;
}

// Creates a new, empty file beside `target` with a name no one else uses: the process and a count
// tell this save's name from those of other saves, here or in other processes, and a name taken
// all the same is passed over. `name` receives the name.
os::Created CreateTemporary(const PathChar* target, PathText& name, FileHandle* file) {
  static std::atomic<uint32_t> counter{0};
  size_t folder = 0;
  for (size_t i = 0; target[i] != 0; ++i) {
    if (target[i] == static_cast<PathChar>(os::kFolderSeparator)) folder = i + 1;
  }
  if (!name.Allocate(folder + os::kTempNameRoom)) return os::Created::kFailed;
  std::copy(target, target + folder, name.get());
  for (int attempt = 0; attempt < 100; ++attempt) {
    PathChar* end = AppendText(name.get() + folder, os::kTempNamePrefix);
    end = AppendDecimal(end, os::ProcessId());
    end = AppendText(end, "-");
    end = AppendDecimal(end, counter++);
    AppendText(end, ".tmp");
    const os::Created created = os::CreateNewFile(name.get(), file);
    if (created != os::Created::kNameTaken) return created;
  }
  return os::Created::kFailed;
}

// Only here can a failed write leave the target damaged: there is no other file to fall back on.
int32_t WriteInPlace(const PathChar* target, const uint8_t* data, size_t size) {
  const FileHandle file = os::OpenToRewrite(target);
  if (file == os::kNoFile) return SAVE_BADFILE;
  bool ok = WriteAll(file, data, size);
  ok = os::Close(file) && ok;
  return ok ? SAVE_DONE : SAVE_BADFILE;
}

}  // namespace

int32_t PlaceFile(const CallerPath& path, const uint8_t* data, size_t size) {
  PathText owned, temp;
  const PathChar* target = os::ResolveTarget(path, owned);
  if (target == nullptr) return SAVE_BADFILE;

  os::OldFile old{};
  const os::Target found = os::InspectTarget(target, &old);
  if (found == os::Target::kRefused) return SAVE_BADFILE;
  if (found == os::Target::kRewriteOnly) return WriteInPlace(target, data, size);
  const bool exists = found == os::Target::kReplaceable;

  FileHandle file = os::kNoFile;
  const os::Created created = CreateTemporary(target, temp, &file);
  if (created != os::Created::kDone) {
    // A folder that forbids new names can still hold a file we may rewrite.
    return exists && created == os::Created::kFolderRefused ? WriteInPlace(target, data, size)
                                                            : SAVE_BADFILE;
  }
  // So that those who shared the old file keep their access to the new one.
  if (exists) os::CarryOver(file, old);
  // Flushed before the move, so that after a crash the name holds the old file or the new one.
  bool ok = WriteAll(file, data, size) && os::Flush(file);
  ok = os::Close(file) && ok;
  if (ok && os::MoveOver(temp.get(), target)) return SAVE_DONE;
  os::Remove(temp.get());
  return SAVE_BADFILE;
}

}  // namespace morvane
