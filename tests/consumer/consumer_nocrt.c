/* The consumer as an MSVC-style program: built with clang for i686-pc-windows-msvc and linked by
 * lld-link against lib/Morvane.lib. Debian has no MSVC C runtime, so it has none: its entry point
 * calls the exports, says so on standard output, and leaves through ExitProcess with the result as
 * exit code. */
#include "every_export.h"

__declspec(dllimport) void* __stdcall GetStdHandle(unsigned long which);
__declspec(dllimport) int __stdcall WriteFile(void* file, const void* data, unsigned long size,
                                              unsigned long* written, void* overlapped);
__declspec(dllimport) void __stdcall ExitProcess(unsigned int code);

void Start(void) {
  static const char kDone[] = "consumer: every export called through Morvane.lib\r\n";
  const int failed = CallEveryExport();
  unsigned long written = 0;
  if (failed == 0) {
    WriteFile(GetStdHandle((unsigned long)-11), kDone, sizeof kDone - 1, &written, 0);
  }
  ExitProcess((unsigned int)failed);
}
