// The DLL as a module: its export table, its version record, DllGetVersion, and its behaviour
// across loads, unloads and threads.
#include <cstring>
#include <string>
#include <vector>

#include "host/host_bitmap.h"
#include "shell/version.h"
#include "wintest.h"

namespace {

// "0, 0, 2, 2" for 0.0.2.2, as the version record writes it.
#define MORVANE_WIDE(text) L##text
#define MORVANE_WIDEN(text) MORVANE_WIDE(text)
constexpr const wchar_t* kVersionText = MORVANE_WIDEN(MORVANE_VERSION_TEXT);

struct ExportRow {
  const char* name;
  WORD ordinal;
  int arg_count;
};

const ExportRow kExports[] = {
    {"BlendBlt", 1, 9}, {"ClipBlt", 2, 9},       {"DllGetVersion", 3, 0},
    {"RopBlt", 4, 9},   {"SaveToBitmapA", 5, 2}, {"SaveToBitmapW", 6, 2},
};

using morvane_wintest::A;

const IMAGE_EXPORT_DIRECTORY* ExportDirectory(HMODULE dll) {
  const auto* base = reinterpret_cast<const BYTE*>(dll);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  return reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
}

std::wstring ModulePath(HMODULE dll) {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(dll, path, MAX_PATH);
  return std::wstring(path, n);
}

std::string Narrow(const wchar_t* w) {
  std::string out;
  for (; w && *w; ++w) out += *w < 128 ? static_cast<char>(*w) : '?';
  return out;
}

// The keys of every String entry under StringFileInfo, read from the raw version block.
// Each node: WORD wLength, WORD wValueLength, WORD wType, WCHAR key[], padding to 4, value,
// padding, children.
void CollectStringKeys(const BYTE* node, int depth, bool under_strings,
                       std::vector<std::string>* keys) {
  const WORD length = *reinterpret_cast<const WORD*>(node);
  const WORD value_length = *reinterpret_cast<const WORD*>(node + 2);
  const WORD type = *reinterpret_cast<const WORD*>(node + 4);
  const auto* key = reinterpret_cast<const wchar_t*>(node + 6);
  const std::string name = Narrow(key);
  size_t offset = 6 + (wcslen(key) + 1) * 2;
  offset = (offset + 3) & ~size_t{3};
  if (depth == 3 && under_strings) keys->push_back(name);
  offset += type == 1 ? value_length * 2 : value_length;
  offset = (offset + 3) & ~size_t{3};
  const bool strings = under_strings || (depth == 1 && name == "StringFileInfo");
  while (offset < length) {
    const BYTE* child = node + offset;
    const WORD child_length = *reinterpret_cast<const WORD*>(child);
    if (child_length == 0) break;
    CollectStringKeys(child, depth + 1, strings, keys);
    offset = (offset + child_length + 3) & ~size_t{3};
  }
}

// DllGetVersion, typed as it really is.
int32_t CallDllGetVersion(FARPROC fn) {
  using Fn = int32_t(__stdcall*)();
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(fn))();
}

DWORD WINAPI ThreadBody(LPVOID param) {
  auto* t = static_cast<morvane_wintest::WinTest*>(param);
  return static_cast<DWORD>(CallDllGetVersion(t->Find("DllGetVersion")));
}

}  // namespace

WIN_GROUP(ShellExportTable) {
  for (const ExportRow& row : kExports) {
    FARPROC by_name = GetProcAddress(t.dll(), row.name);
    FARPROC by_ordinal = GetProcAddress(t.dll(), MAKEINTRESOURCEA(row.ordinal));
    WIN_CHECK_MSG(t, by_name != nullptr && by_name == by_ordinal, row.name);
  }
  WIN_CHECK(t, GetProcAddress(t.dll(), MAKEINTRESOURCEA(7)) == nullptr);
  WIN_CHECK(t, GetProcAddress(t.dll(), "BlendBlt@36") == nullptr);
  const IMAGE_EXPORT_DIRECTORY* dir = ExportDirectory(t.dll());
  WIN_CHECK_EQ(t, dir->Base, 1ul);
  WIN_CHECK_EQ(t, dir->NumberOfFunctions, 6ul);
  WIN_CHECK_EQ(t, dir->NumberOfNames, 6ul);
  const auto* base = reinterpret_cast<const BYTE*>(t.dll());
  const auto* names = reinterpret_cast<const DWORD*>(base + dir->AddressOfNames);
  const auto* ordinals = reinterpret_cast<const WORD*>(base + dir->AddressOfNameOrdinals);
  for (DWORD i = 0; i < dir->NumberOfNames && i < 6; ++i) {
    const char* name = reinterpret_cast<const char*>(base + names[i]);
    WIN_CHECK_MSG(t, std::strcmp(name, kExports[i].name) == 0, name);
    WIN_CHECK_EQ(t, ordinals[i] + dir->Base, DWORD{kExports[i].ordinal});
  }
}

WIN_GROUP(ShellStackBalance) {
  // Harmless calls of every export; Call checks that each callee popped 4 bytes per argument.
  morvane_test::HostBitmap bmp(2, 2);
  const BitmapDesc none{0, 0, 0};
  const wchar_t wide[] = L"unused.bmp";
  for (const ExportRow& row : kExports) {
    if (row.arg_count == 0) {
      WIN_CHECK_EQ(t, t.Call(row.name, {}), MORVANE_VERSION_NUMBER);
    } else if (row.arg_count == 2) {
      const void* path = row.name[12] == 'W' ? static_cast<const void*>(wide) : "unused.bmp";
      t.Call(row.name, {A(path), A(&none)});
    } else {
      WIN_CHECK_EQ(t, t.Call(row.name, {A(bmp.desc()), 5, 5, 1, 1, A(bmp.desc()), 0, 0, 0}),
                   BLT_EMPTY);
    }
  }
  for (int i = 0; i < 100; ++i) {
    WIN_CHECK_EQ(t, t.Call("DllGetVersion", {}), MORVANE_VERSION_NUMBER);
  }
}

WIN_GROUP(ShellVersionRecord) {
  const std::wstring path = ModulePath(t.dll());
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  WIN_CHECK(t, size > 0);
  if (size == 0) return;
  std::vector<BYTE> block(size);
  WIN_CHECK(t, GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  WIN_CHECK(t, VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
  if (fixed != nullptr) {
    WIN_CHECK_EQ(t, fixed->dwSignature, 0xFEEF04BDul);
    // The project's version, 0.0.2.2 today: 0 and 0x00020002.
    const DWORD ms = MORVANE_VERSION_MAJOR << 16 | MORVANE_VERSION_MINOR;
    const DWORD ls = MORVANE_VERSION_BUILD << 16 | MORVANE_VERSION_REVISION;
    WIN_CHECK_EQ(t, fixed->dwFileVersionMS, ms);
    WIN_CHECK_EQ(t, fixed->dwFileVersionLS, ls);
    WIN_CHECK_EQ(t, fixed->dwProductVersionMS, ms);
    WIN_CHECK_EQ(t, fixed->dwProductVersionLS, ls);
    WIN_CHECK_EQ(t, fixed->dwFileFlagsMask, 0x17ul);
    WIN_CHECK_EQ(t, fixed->dwFileFlags, 0ul);
    WIN_CHECK_EQ(t, fixed->dwFileOS, 0x4ul);
    WIN_CHECK_EQ(t, fixed->dwFileType, 0x2ul);
    WIN_CHECK_EQ(t, fixed->dwFileSubtype, 0ul);
    WIN_CHECK_EQ(t, fixed->dwFileDateMS, 0ul);
    WIN_CHECK_EQ(t, fixed->dwFileDateLS, 0ul);
  }
  WORD* translation = nullptr;
  WIN_CHECK(t, VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                              reinterpret_cast<void**>(&translation), &len));
  if (translation != nullptr) {
    WIN_CHECK_EQ(t, len, 4u);
    WIN_CHECK_EQ(t, translation[0], 0x0411);
    WIN_CHECK_EQ(t, translation[1], 0x04B0);
  }
  struct Expected {
    const wchar_t* key;
    const wchar_t* value;  // null: any non-empty text of ours
  };
  const Expected strings[] = {
      {L"FileVersion", kVersionText}, {L"ProductVersion", kVersionText},
      {L"InternalName", L"Morvane"},  {L"OriginalFilename", L"Morvane.dll"},
      {L"FileDescription", nullptr},  {L"ProductName", nullptr},
      {L"LegalCopyright", nullptr},
  };
  for (const Expected& e : strings) {
    const std::wstring query = std::wstring(L"\\StringFileInfo\\041104b0\\") + e.key;
    wchar_t* value = nullptr;
    const BOOL found =
        VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &len);
    WIN_CHECK_MSG(t, found && value != nullptr && len > 1, Narrow(e.key));
    if (found && value != nullptr && e.value != nullptr) {
      WIN_CHECK_MSG(t, wcscmp(value, e.value) == 0, Narrow(e.key) + " = " + Narrow(value));
    }
  }
  std::vector<std::string> keys;
  CollectStringKeys(block.data(), 0, false, &keys);
  const std::vector<std::string> want = {"FileDescription", "FileVersion",      "InternalName",
                                         "LegalCopyright",  "OriginalFilename", "ProductName",
                                         "ProductVersion"};
  std::string seen;
  for (const std::string& k : keys) seen += k + " ";
  WIN_CHECK_MSG(t, keys == want, seen);
  // The resource itself carries language 0x0411.
  WIN_CHECK(t,
            FindResourceExW(t.dll(), MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1), 0x0411) != nullptr);
}

WIN_GROUP(ShellLoadUnloadThreads) {
  // A second copy under another name can be loaded and unloaded for real, again and again.
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  const std::wstring copy = std::wstring(dir) + L"MorvaneCopy.dll";
  WIN_CHECK(t, CopyFileW(ModulePath(t.dll()).c_str(), copy.c_str(), FALSE));
  for (int round = 0; round < 3; ++round) {
    HMODULE m = LoadLibraryW(copy.c_str());
    WIN_CHECK(t, m != nullptr);
    if (m == nullptr) break;
    WIN_CHECK_EQ(t, CallDllGetVersion(GetProcAddress(m, "DllGetVersion")), MORVANE_VERSION_NUMBER);
    WIN_CHECK(t, FreeLibrary(m));
    WIN_CHECK(t, GetModuleHandleW(L"MorvaneCopy.dll") == nullptr);
  }
  DeleteFileW(copy.c_str());
  // Threads started and ended while the DLL is loaded; each calls into it.
  for (int i = 0; i < 8; ++i) {
    HANDLE thread = CreateThread(nullptr, 0, ThreadBody, &t, 0, nullptr);
    WIN_CHECK(t, thread != nullptr);
    if (thread == nullptr) continue;
    WaitForSingleObject(thread, INFINITE);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    WIN_CHECK_EQ(t, code, 2ul);
    CloseHandle(thread);
  }
  morvane_test::HostBitmap dst(3, 3, {0, 0, 0, 255}), src(3, 3, {7, 8, 9, 255});
  WIN_CHECK_EQ(t, t.Call("BlendBlt", {A(dst.desc()), 0, 0, 3, 3, A(src.desc()), 0, 0, 0}), 0);
  WIN_CHECK(t, dst.Get(2, 2) == (morvane_test::Pixel{7, 8, 9, 255}));
}
