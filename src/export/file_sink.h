// Putting a packed file at the caller's path. One implementation for every platform
// (place_file.cpp), over the file calls of file_calls.h, which are the only code that touches the
// file system (file_sink_posix.cpp, file_sink_win32.cpp).
#ifndef MORVANE_EXPORT_FILE_SINK_H_
#define MORVANE_EXPORT_FILE_SINK_H_

#include <cstddef>
#include <cstdint>

#include "morvane.h"

namespace morvane {

// The path as the caller gave it: `utf8` for the narrow call, `utf16` for the wide one; the other
// is null. Both null is a missing path.
struct CallerPath {
  const char* utf8;
  const MorvaneWChar* utf16;
};

// Puts `size` bytes at `path` as the whole new content of the file there. They are written under
// a temporary name in the same folder and moved over the target in one step, so on failure an
// existing file is left as it was and no temporary file remains. Where the folder refuses a new
// name but an existing target may be written, the target is rewritten in place instead; only
// then can a failed write leave it damaged. Returns SAVE_DONE or SAVE_BADFILE.
int32_t PlaceFile(const CallerPath& path, const uint8_t* data, size_t size);

}  // namespace morvane

#endif  // MORVANE_EXPORT_FILE_SINK_H_
