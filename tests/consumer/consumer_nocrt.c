/* The consumer as an MSVC-style program: built with clang for i686-pc-windows-msvc and linked by
 * lld-link against lib/Morvane.lib alone. Debian has no MSVC C runtime, so it has none: its entry
 * point calls the exports and leaves through ExitProcess with the result as exit code. */
#include "every_export.h"

__declspec(dllimport) void __stdcall ExitProcess(unsigned int code);

void Start(void) { ExitProcess((unsigned int)CallEveryExport()); }
