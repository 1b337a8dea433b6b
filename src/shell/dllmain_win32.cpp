#include <windows.h>

// The library keeps no state between calls, so there is nothing to set up or tear down for a
// process or a thread.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
