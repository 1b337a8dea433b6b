#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "export/file_sink.h"
#include "export/path_text.h"
#include "heap_block.h"

namespace morvane {
namespace {

using WideText = HeapBlock<wchar_t>;

// The caller's path as UTF-16, converted from UTF-8 at whatever length it needs. Null for a
// missing, empty or malformed path; `owned` keeps a converted path alive.
const wchar_t* WidePath(const CallerPath& path, WideText& owned) {
  const wchar_t* wide = path.utf16;
  if (path.utf8 != nullptr) {
    // With -1 the count includes the terminator, so the converted path is terminated.
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.utf8, -1, nullptr, 0);
    if (units <= 0) return nullptr;
    if (!owned.Allocate(static_cast<size_t>(units)) ||
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.utf8, -1, owned.get(), units) !=
            units) {
      return nullptr;
    }
    wide = owned.get();
  }
  if (wide == nullptr || wide[0] == 0 || Utf8SizeOfUtf16(wide) == kBadText) return nullptr;
  return wide;
}

bool StartsWith(const wchar_t* text, const wchar_t* prefix) {
  return std::wcsncmp(text, prefix, std::wcslen(prefix)) == 0;
}

// Room after the folder for the temporary file's name.
constexpr size_t kTempNameRoom = 40;

// The absolute form of `path` in `out`, with room for a temporary name after it. Plain paths stop
// at MAX_PATH units, so a long one is given the \\?\ form, which the file functions take up to
// about 32767 units; the absolute form is already normalised, as that form requires.
bool AbsolutePath(const wchar_t* path, WideText& out) {
  const DWORD need = GetFullPathNameW(path, 0, nullptr, nullptr);
  if (need == 0) return false;
  constexpr size_t kPrefixRoom = 8;  // \\?\UNC\ replacing the leading two backslashes
  WideText buffer;
  if (!buffer.Allocate(kPrefixRoom + need + kTempNameRoom)) return false;
  wchar_t* body = buffer.get() + kPrefixRoom;
  const DWORD got = GetFullPathNameW(path, need, body, nullptr);
  if (got == 0 || got >= need) return false;
  if (got + kTempNameRoom >= MAX_PATH) {
    if (body[0] != 0 && body[1] == L':' && body[2] == L'\\') {
      body -= 4;
      std::memcpy(body, L"\\\\?\\", 4 * sizeof(wchar_t));
    } else if (StartsWith(body, L"\\\\") && !StartsWith(body, L"\\\\?\\") &&
               !StartsWith(body, L"\\\\.\\")) {
      body -= 6;  // "\\server\share" becomes "\\?\UNC\server\share"
      std::memcpy(body, L"\\\\?\\UNC", 7 * sizeof(wchar_t));
    }
  }
  if (!out.Allocate(std::wcslen(body) + 1)) return false;
  std::wcscpy(out.get(), body);
  return true;
}

wchar_t* AppendDecimal(wchar_t* out, uint32_t value) {
  wchar_t digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n > 0) *out++ = digits[--n];
  return out;
}

// Creates a new, empty file beside `target` with a name no one else uses, open for writing while
// others may only read it. `name` receives the name.
HANDLE CreateTemporary(const wchar_t* target, WideText& name, DWORD* error) {
  static std::atomic<uint32_t> counter{0};
  const wchar_t* slash = std::wcsrchr(target, L'\\');
  const size_t folder = slash != nullptr ? static_cast<size_t>(slash - target) + 1 : 0;
  if (!name.Allocate(folder + kTempNameRoom)) {
    *error = ERROR_NOT_ENOUGH_MEMORY;
    return INVALID_HANDLE_VALUE;
  }
  std::wmemcpy(name.get(), target, folder);
  for (int attempt = 0; attempt < 100; ++attempt) {
    wchar_t* end = name.get() + folder;
    std::wmemcpy(end, L"~morvane-", 9);
    end = AppendDecimal(end + 9, GetCurrentProcessId());
    *end++ = L'-';
    end = AppendDecimal(end, counter++);
    std::wmemcpy(end, L".tmp", 5);
    const HANDLE file = CreateFileW(name.get(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    *error = GetLastError();
    if (file != INVALID_HANDLE_VALUE ||
        (*error != ERROR_FILE_EXISTS && *error != ERROR_ALREADY_EXISTS)) {
      return file;
    }
  }
  return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE file, const uint8_t* data, size_t size) {
  constexpr size_t kMostPerCall = size_t{1} << 30;
  while (size > 0) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min(size, kMostPerCall));
    if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

int32_t WriteInPlace(const wchar_t* target, const uint8_t* data, size_t size) {
  const HANDLE file = CreateFileW(target, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return SAVE_BADFILE;
  bool ok = WriteAll(file, data, size);
  ok = CloseHandle(file) && ok;
  return ok ? SAVE_DONE : SAVE_BADFILE;
}

}  // namespace

int32_t PlaceFile(const CallerPath& path, const uint8_t* data, size_t size) {
  WideText converted, target, temp;
  const wchar_t* given = WidePath(path, converted);
  if (given == nullptr || !AbsolutePath(given, target)) return SAVE_BADFILE;

  const DWORD attributes = GetFileAttributesW(target.get());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  // Opening a folder or a read-only file for writing fails, and replacing one must fail too.
  if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    return SAVE_BADFILE;
  }

  DWORD error = 0;
  const HANDLE file = CreateTemporary(target.get(), temp, &error);
  if (file == INVALID_HANDLE_VALUE) {
    // A folder that forbids new names can still hold a file we may rewrite.
    return exists && error == ERROR_ACCESS_DENIED ? WriteInPlace(target.get(), data, size)
                                                  : SAVE_BADFILE;
  }
  // Flushed before the move, so that after a crash the name holds the old file or the new one.
  bool ok = WriteAll(file, data, size) && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  if (ok &&
      MoveFileExW(temp.get(), target.get(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return SAVE_DONE;
  }
  DeleteFileW(temp.get());
  return SAVE_BADFILE;
}

}  // namespace morvane
