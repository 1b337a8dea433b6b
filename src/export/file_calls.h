// The file system calls that placing a file is written over. PlaceFile (place_file.cpp) decides
// once, for every platform, what is replaced, refused or rewritten in place; each platform file
// (file_sink_posix.cpp, file_sink_win32.cpp) only answers these calls, and what differs between
// the platforms shows in their answers.
#ifndef MORVANE_EXPORT_FILE_CALLS_H_
#define MORVANE_EXPORT_FILE_CALLS_H_

#include <cstddef>
#include <cstdint>

#include "export/file_sink.h"
#include "heap_block.h"

namespace morvane {
namespace os {

// A character of a native file name: a UTF-16 unit on Windows, a byte of UTF-8 elsewhere.
#if defined(_WIN32)
using PathChar = wchar_t;
#else
using PathChar = char;
#endif  // _WIN32
using PathText = HeapBlock<PathChar>;

// An open file, a descriptor or a HANDLE held as an integer; kNoFile is neither.
using FileHandle = intptr_t;
constexpr FileHandle kNoFile = -1;

// What separates the folders of a resolved target, and how a temporary file's name begins.
extern const char kFolderSeparator;
extern const char kTempNamePrefix[];
// Room after the folder for a temporary file's name: the prefix, two numbers of up to ten digits,
// a dash, ".tmp" and the terminator.
constexpr size_t kTempNameRoom = 40;

// The name of the file the caller's path stands for: converted to the native form, and made
// absolute or followed through a link where the platform needs it. Points into `owned` or at the
// caller's own text; null for a missing, empty or malformed path, or one the platform cannot use.
const PathChar* ResolveTarget(const CallerPath& path, PathText& owned);

// What stands at the target now, and so what a save may do with it.
enum class Target {
  kMissing,      // nothing that can be looked at: a new file is made there
  kReplaceable,  // a file that a new one may be moved over
  kRewriteOnly,  // something that cannot be replaced, only written to (a device, a pipe)
  kRefused,      // something a save must leave as it is
};

// What the replacement takes over from the file it replaces, where the platform keeps it.
struct OldFile {
  uint32_t owner;
  uint32_t group;
  uint32_t mode;
};

// Looks at the target; `old` is filled in when it is replaceable.
Target InspectTarget(const PathChar* target, OldFile* old);

enum class Created { kDone, kNameTaken, kFolderRefused, kFailed };

// Creates the file `name`, which must not exist yet, open for writing. kNameTaken when something
// has that name; kFolderRefused when the folder lets us make no new name in it.
Created CreateNewFile(const PathChar* name, FileHandle* file);

// The number that keeps this process's temporary names apart from other processes'.
uint32_t ProcessId();

// Gives the new file the owner, group and permissions of the one it will replace, as far as the
// platform has them and lets us.
void CarryOver(FileHandle file, const OldFile& old);

// Opens the existing `target` for writing, emptied; kNoFile when it cannot be.
FileHandle OpenToRewrite(const PathChar* target);

// Writes some of the `size` bytes (at most 2^30), at least one; returns how many, 0 on failure.
size_t WriteSome(FileHandle file, const uint8_t* data, size_t size);

// Waits until what was written is on the disk.
bool Flush(FileHandle file);

bool Close(FileHandle file);

// Moves `from` over `to` in one step, replacing what is there.
bool MoveOver(const PathChar* from, const PathChar* to);

void Remove(const PathChar* name);

}  // namespace os
}  // namespace morvane

#endif  // MORVANE_EXPORT_FILE_CALLS_H_
