#include <cstdio>
#include <map>
#include <string>

#include "wintest.h"

namespace morvane_wintest {
namespace {

std::map<std::string, GroupFn>& Groups() {
  static std::map<std::string, GroupFn> groups;
  return groups;
}

}  // namespace

GroupRegistrar::GroupRegistrar(const char* name, GroupFn fn) { Groups()[name] = fn; }

FARPROC WinTest::Find(const char* name) { return GetProcAddress(dll_, name); }

int32_t WinTest::Call(const char* name, std::initializer_list<uintptr_t> args) {
  FARPROC fn = Find(name);
  if (fn == nullptr) {
    Check(false, name, __FILE__, __LINE__, "export not found");
    return INT32_MIN;
  }
  int popped = 0;
  const int count = static_cast<int>(args.size());
  const int32_t result = CallWithStackCheck(fn, args.begin(), count, &popped);
  if (popped >= 0) {
    Check(popped == 4 * count, "callee pops its arguments", __FILE__, __LINE__,
          std::string(name) + " popped " + std::to_string(popped) + " bytes, want " +
              std::to_string(4 * count));
  }
  return result;
}

void WinTest::Check(bool ok, const char* expr, const char* file, int line,
                    const std::string& note) {
  ++checks_;
  if (ok) return;
  ++failures_;
  std::printf("FAILED %s:%d: %s%s%s\n", file, line, expr, note.empty() ? "" : ": ", note.c_str());
}

}  // namespace morvane_wintest

int main() {
  using morvane_wintest::Groups;
#ifdef _WIN64
  std::printf("wintest: 64-bit build (fallback: stack pops are not measured)\n");
#else
  std::printf("wintest: 32-bit build\n");
#endif  // _WIN64
  HMODULE dll = LoadLibraryW(L"Morvane.dll");
  if (dll == nullptr) {
    std::printf("FAILED: LoadLibrary(Morvane.dll): error %lu\n", GetLastError());
    std::printf("0 passed, 1 failed\n");
    return 1;
  }
  morvane_wintest::WinTest t(dll);
  int groups_failed = 0;
  for (const auto& [name, fn] : Groups()) {
    const int before = t.failures();
    const DWORD start = GetTickCount();
    fn(t);
    const bool ok = t.failures() == before;
    groups_failed += !ok;
    std::printf("%-6s %s (%lu ms)\n", ok ? "ok" : "FAILED", name.c_str(), GetTickCount() - start);
  }
  FreeLibrary(dll);
  std::printf("wintest: %d checks, %d failed\n", t.checks(), t.failures());
  std::printf("%d passed, %d failed\n", static_cast<int>(Groups().size()) - groups_failed,
              groups_failed);
  return t.failures() == 0 ? 0 : 1;
}
