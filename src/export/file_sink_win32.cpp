// The file calls of file_calls.h on Windows: file names are UTF-16, made absolute, and a long one
// is given the form that has no MAX_PATH limit.
#include <windows.h>

#include <cstring>
#include <cwchar>

#include "export/file_calls.h"
#include "export/path_text.h"

namespace morvane {
namespace os {
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

HANDLE Handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

FileHandle Held(HANDLE file) {
  return file != INVALID_HANDLE_VALUE ? reinterpret_cast<FileHandle>(file) : kNoFile;
}

}  // namespace

const char kFolderSeparator = '\\';
const char kTempNamePrefix[] = "~morvane-";

const wchar_t* ResolveTarget(const CallerPath& path, PathText& owned) {
  WideText converted;
  const wchar_t* given = WidePath(path, converted);
  if (given == nullptr || !AbsolutePath(given, owned)) return nullptr;
  return owned.get();
}

Target InspectTarget(const wchar_t* target, OldFile*) {
  const DWORD attributes = GetFileAttributesW(target);
  if (attributes == INVALID_FILE_ATTRIBUTES) return Target::kMissing;
  // Opening a folder or a read-only file for writing fails, and replacing one must fail too.
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    return Target::kRefused;
  }
  return Target::kReplaceable;
}

// While it is written, others may open the new file to read it and for nothing else.
Created CreateNewFile(const wchar_t* name, FileHandle* file) {
  const HANDLE created = CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
  if (created != INVALID_HANDLE_VALUE) {
    *file = Held(created);
    return Created::kDone;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return Created::kNameTaken;
  return error == ERROR_ACCESS_DENIED ? Created::kFolderRefused : Created::kFailed;
}

uint32_t ProcessId() { return GetCurrentProcessId(); }

// The new file takes the permissions its folder gives new files; nothing of the old one is kept.
void CarryOver(FileHandle, const OldFile&) {}

FileHandle OpenToRewrite(const wchar_t* target) {
  return Held(CreateFileW(target, GENERIC_WRITE, FILE_SHARE_READ, nullptr, TRUNCATE_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
}

size_t WriteSome(FileHandle file, const uint8_t* data, size_t size) {
  DWORD written = 0;
  if (!WriteFile(Handle(file), data, static_cast<DWORD>(size), &written, nullptr)) return 0;
  return written;
}

bool Flush(FileHandle file) { return FlushFileBuffers(Handle(file)) != 0; }

bool Close(FileHandle file) { return CloseHandle(Handle(file)) != 0; }

bool MoveOver(const wchar_t* from, const wchar_t* to) {
  return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void Remove(const wchar_t* name) { DeleteFileW(name); }

}  // namespace os
}  // namespace morvane
