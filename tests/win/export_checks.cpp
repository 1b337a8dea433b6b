// SaveToBitmapW and SaveToBitmapA through the real DLL: bytes read back from disk, Japanese and
// over-long names in both forms, every failure result with the earlier file untouched, and the
// DLL's import table.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bmp_model.h"
#include "host/host_bitmap.h"
#include "wintest.h"

namespace {

using morvane_test::HostBitmap;
using morvane_test::ModelBitmapFile;
using morvane_test::PaintF;
using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::wstring>;

using morvane_wintest::A;

int32_t SaveW(morvane_wintest::WinTest& t, const std::wstring& path, const BitmapDesc* desc) {
  return t.Call("SaveToBitmapW", {A(path.c_str()), A(desc)});
}

int32_t SaveA(morvane_wintest::WinTest& t, const std::string& path, const BitmapDesc* desc) {
  return t.Call("SaveToBitmapA", {A(path.c_str()), A(desc)});
}

// The \\?\ form, which has no MAX_PATH limit, of an absolute drive path.
std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

bool ReadAll(const std::wstring& path, Bytes* out) {
  const HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  out->clear();
  uint8_t chunk[4096];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, chunk, sizeof chunk, &got, nullptr)) && got > 0) {
    out->insert(out->end(), chunk, chunk + got);
  }
  CloseHandle(file);
  return ok;
}

Bytes FileBytes(const std::wstring& path) {
  Bytes bytes;
  if (!ReadAll(path, &bytes)) bytes.assign(1, 0xEE);  // matches no file a test expects
  return bytes;
}

bool WriteAll(const std::wstring& path, const Bytes& bytes) {
  const HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  return CloseHandle(file) && ok;
}

Bytes OldBytes(size_t size) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 31 + 7);
  return bytes;
}

// Names in a folder, in the order the file system gives them, sorted.
Names ListNames(const std::wstring& folder) {
  Names names;
  WIN32_FIND_DATAW found;
  const HANDLE find = FindFirstFileW(Long(folder + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

void RemoveTree(const std::wstring& folder) {
  for (const std::wstring& name : ListNames(folder)) {
    const std::wstring path = folder + L"\\" + name;
    const DWORD attributes = GetFileAttributesW(Long(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      RemoveTree(path);
    } else {
      SetFileAttributesW(Long(path).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(Long(path).c_str());
    }
  }
  RemoveDirectoryW(Long(folder).c_str());
}

// A fresh folder under the temporary folder, removed with its content at the end of the group.
class Scratch {
 public:
  explicit Scratch(const wchar_t* name) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    path_ = std::wstring(temp, n) + name + std::to_wstring(GetCurrentProcessId());
    RemoveTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~Scratch() { RemoveTree(path_); }
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

// The same path in UTF-8, for SaveToBitmapA.
std::string Utf8(const std::wstring& wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.pop_back();
  return out;
}

std::string Narrow(const std::wstring& wide) {
  std::string out;
  for (wchar_t c : wide) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

// "スクリーン写真.bmp"
const wchar_t kJapaneseName[] = L"\u30B9\u30AF\u30EA\u30FC\u30F3\u5199\u771F.bmp";

}  // namespace

WIN_GROUP(DllImports) {
  // Only the system's own DLLs: the C and C++ runtimes are linked in.
  const auto* base = reinterpret_cast<const uint8_t*>(t.dll());
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  WIN_CHECK(t, dir.VirtualAddress != 0);
  int count = 0;
  for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       d->Name != 0; ++d, ++count) {
    const char* name = reinterpret_cast<const char*>(base + d->Name);
    const bool allowed = _stricmp(name, "KERNEL32.dll") == 0 || _stricmp(name, "msvcrt.dll") == 0 ||
                         _stricmp(name, "GDI32.dll") == 0;
    WIN_CHECK_MSG(t, allowed, std::string("imports ") + name);
  }
  WIN_CHECK(t, count >= 1);
}

WIN_GROUP(SaveExamples) {
  Scratch dir(L"morvane-save-");
  HostBitmap two(2, 1), three(3, 2), empty(0, 4);
  two.Set(0, 0, {1, 2, 3, 4});
  two.Set(1, 0, {5, 6, 7, 8});
  PaintF(three);
  const Bytes two_bytes = {'B', 'M', 62, 0, 0, 0, 0, 0,  0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0,
                           0,   1,   0,  0, 0, 1, 0, 24, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0, 0,
                           0,   0,   0,  0, 0, 0, 0, 0,  0, 0, 0,  0, 1, 2, 3,  5, 6, 7, 0, 0};
  const std::wstring target = dir / L"shot.bmp";
  WIN_CHECK(t, WriteAll(target, OldBytes(3000)));
  WIN_CHECK_EQ(t, SaveW(t, target, two.desc()), SAVE_DONE);
  WIN_CHECK(t, FileBytes(target) == two_bytes);  // the longer file left nothing behind
  WIN_CHECK_EQ(t, SaveA(t, Narrow(target), three.desc()), SAVE_DONE);
  WIN_CHECK(t, FileBytes(target) == ModelBitmapFile(three));
  WIN_CHECK_EQ(t, SaveW(t, target, empty.desc()), SAVE_DONE);
  WIN_CHECK(t, FileBytes(target) == ModelBitmapFile(empty) && FileBytes(target).size() == 54);
  WIN_CHECK(t, ListNames(dir.path()) == Names{L"shot.bmp"});
}

WIN_GROUP(SaveJapaneseNames) {
  Scratch dir(L"morvane-names-");
  HostBitmap bitmap(4, 3);
  PaintF(bitmap);
  const std::wstring target = dir / kJapaneseName;
  WIN_CHECK_EQ(t, SaveW(t, target, bitmap.desc()), SAVE_DONE);
  WIN_CHECK(t, FileBytes(target) == ModelBitmapFile(bitmap));
  // The same name in UTF-8 is the same file.
  bitmap.Set(3, 2, {1, 2, 3, 4});
  WIN_CHECK_EQ(t, SaveA(t, Utf8(target), bitmap.desc()), SAVE_DONE);
  WIN_CHECK(t, FileBytes(target) == ModelBitmapFile(bitmap));
  WIN_CHECK(t, ListNames(dir.path()) == Names{kJapaneseName});
}

WIN_GROUP(SaveLongPaths) {
  Scratch dir(L"morvane-long-");
  std::wstring folder = dir.path();
  for (int level = 0; level < 4; ++level) {
    folder += L"\\" + std::wstring(60, L'\u5199') + std::to_wstring(level);
    if (!CreateDirectoryW(Long(folder).c_str(), nullptr)) {
      std::printf("  (skipped: no folder longer than MAX_PATH here, error %lu)\n", GetLastError());
      return;
    }
  }
  HostBitmap bitmap(3, 5);
  PaintF(bitmap);
  const std::wstring wide = folder + L"\\" + kJapaneseName;
  WIN_CHECK(t, wide.size() > 260);
  WIN_CHECK_EQ(t, SaveW(t, wide, bitmap.desc()), SAVE_DONE);
  WIN_CHECK(t, FileBytes(wide) == ModelBitmapFile(bitmap));
  const std::wstring narrow = folder + L"\\narrow.bmp";
  WIN_CHECK_EQ(t, SaveA(t, Utf8(narrow), bitmap.desc()), SAVE_DONE);
  WIN_CHECK(t, FileBytes(narrow) == ModelBitmapFile(bitmap));
  WIN_CHECK(t, ListNames(folder) == (Names{kJapaneseName, L"narrow.bmp"}) ||
                   ListNames(folder) == (Names{L"narrow.bmp", kJapaneseName}));
}

WIN_GROUP(SaveFailures) {
  Scratch dir(L"morvane-fail-");
  const std::wstring target = dir / L"old.bmp";
  WIN_CHECK(t, WriteAll(target, OldBytes(500)));
  HostBitmap live(2, 2, {1, 2, 3, 4});
  const BitmapDesc none{0, 2, 2}, negative{live.id(), -2, 2}, too_big{live.id(), 1, 1073741811};
  for (const BitmapDesc* d : {&none, &negative, &too_big}) {
    WIN_CHECK_EQ(t, SaveW(t, target, d), SAVE_BADBITMAP);
    WIN_CHECK_EQ(t, SaveA(t, Narrow(target), d), SAVE_BADBITMAP);
    WIN_CHECK_EQ(t, t.Call("SaveToBitmapW", {0, A(d)}), SAVE_BADBITMAP);
  }
#ifndef _WIN64
  // 4 GiB - 2 bytes: no 32-bit process has the room, so the pixels are never read.
  const BitmapDesc no_memory{live.id(), 1, 1073741810};
  WIN_CHECK_EQ(t, SaveW(t, target, &no_memory), SAVE_BADBITMAP);
#endif  // _WIN64
  WIN_CHECK_EQ(t, t.Call("SaveToBitmapW", {0, A(live.desc())}), SAVE_BADFILE);
  WIN_CHECK_EQ(t, t.Call("SaveToBitmapA", {0, A(live.desc())}), SAVE_BADFILE);
  WIN_CHECK_EQ(t, SaveW(t, dir / L"missing\\x.bmp", live.desc()), SAVE_BADFILE);
  WIN_CHECK_EQ(t, SaveA(t, Narrow(dir / L"missing\\x.bmp"), live.desc()), SAVE_BADFILE);
  WIN_CHECK_EQ(t, SaveW(t, dir / L"old.bmp\\x.bmp", live.desc()), SAVE_BADFILE);
  WIN_CHECK_EQ(t, SaveW(t, dir.path(), live.desc()), SAVE_BADFILE);
  WIN_CHECK_EQ(t, SaveA(t, Narrow(dir.path()) + "\\bad\xC3(.bmp", live.desc()), SAVE_BADFILE);
  WIN_CHECK_EQ(t, SaveA(t, Narrow(dir.path()) + "\\bad\xED\xA0\x80.bmp", live.desc()),
               SAVE_BADFILE);
  WIN_CHECK_EQ(t, SaveW(t, dir / L"bad\xD800.bmp", live.desc()), SAVE_BADFILE);
  WIN_CHECK_EQ(t, SaveW(t, dir / L"bad.bmp\xDC00", live.desc()), SAVE_BADFILE);
  WIN_CHECK(t, FileBytes(target) == OldBytes(500));
  // A read-only file is not replaced.
  WIN_CHECK(t, SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
  WIN_CHECK_EQ(t, SaveW(t, target, live.desc()), SAVE_BADFILE);
  SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  WIN_CHECK(t, FileBytes(target) == OldBytes(500));
  // Nothing else was created, temporary files included.
  WIN_CHECK(t, ListNames(dir.path()) == Names{L"old.bmp"});
}
