#include "morvane.h"
#include "shell/version.h"

// The number packs the version into decimal digits; it names one version only while minor and
// build stay below 10.
static_assert(MORVANE_VERSION_MINOR < 10 && MORVANE_VERSION_BUILD < 10,
              "DllGetVersion's major * 100 + minor * 10 + build would name two versions alike");

// Unlike the platform's export of the same name, this one takes no record and returns the plain
// version number.
extern "C" MORVANE_API int32_t MORVANE_CALL DllGetVersion(void) { return MORVANE_VERSION_NUMBER; }
