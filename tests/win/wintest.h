// The Windows test program: loads Morvane.dll as a host does, finds its exports, calls them through
// stdcall pointers checking that each callee removed its arguments, and checks results and pixels.
// All checks run in one program run, since every start of a 32-bit program here is emulated and
// slow. Each file adds its groups with WIN_GROUP; they run in name order.
#ifndef MORVANE_TESTS_WIN_WINTEST_H_
#define MORVANE_TESTS_WIN_WINTEST_H_

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>

namespace morvane_wintest {

class WinTest {
 public:
  explicit WinTest(HMODULE dll) : dll_(dll) {}
  HMODULE dll() const { return dll_; }

  // Calls export `name` with 4-byte arguments (addresses or integers) and checks that the callee
  // popped exactly 4 bytes per argument. Returns the export's int32 result.
  int32_t Call(const char* name, std::initializer_list<uintptr_t> args);
  FARPROC Find(const char* name);

  void Check(bool ok, const char* expr, const char* file, int line, const std::string& note);
  int checks() const { return checks_; }
  int failures() const { return failures_; }

 private:
  HMODULE dll_;
  int checks_ = 0;
  int failures_ = 0;
};

// Export arguments are 4-byte values: addresses, and int32 values passed as their bits.
inline uintptr_t A(const void* p) { return reinterpret_cast<uintptr_t>(p); }
inline uintptr_t I(int32_t v) { return static_cast<uint32_t>(v); }

using GroupFn = void (*)(WinTest&);
struct GroupRegistrar {
  GroupRegistrar(const char* name, GroupFn fn);
};

// Bytes the callee removed from the stack, measured around the call; -1 where the platform has
// one calling convention only (64-bit), so there is nothing to measure.
int32_t CallWithStackCheck(FARPROC fn, const uintptr_t* args, int count, int* popped);

}  // namespace morvane_wintest

#define WIN_CHECK(t, cond) (t).Check((cond), #cond, __FILE__, __LINE__, std::string())
#define WIN_CHECK_MSG(t, cond, note) (t).Check((cond), #cond, __FILE__, __LINE__, (note))
// Each operand is evaluated once: most are export calls.
#define WIN_CHECK_EQ(t, a, b)                                                                    \
  do {                                                                                           \
    const auto win_check_a_ = (a);                                                               \
    const auto win_check_b_ = (b);                                                               \
    (t).Check(win_check_a_ == win_check_b_, #a " == " #b, __FILE__, __LINE__,                    \
              "got " + std::to_string(win_check_a_) + ", want " + std::to_string(win_check_b_)); \
  } while (0)

#define WIN_GROUP(name)                                                   \
  static void name(::morvane_wintest::WinTest& t);                        \
  static ::morvane_wintest::GroupRegistrar name##_registrar(#name, name); \
  static void name(::morvane_wintest::WinTest& t)

#endif  // MORVANE_TESTS_WIN_WINTEST_H_
