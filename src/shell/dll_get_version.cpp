#include "morvane.h"
#include "shell/version.h"

static_assert(MORVANE_VERSION_NUMBER == 2, "DllGetVersion answers 2 for version 0.0.2.2");

// Unlike the platform's export of the same name, this one takes no record and returns the plain
// version number.
extern "C" MORVANE_API int32_t MORVANE_CALL DllGetVersion(void) { return MORVANE_VERSION_NUMBER; }
