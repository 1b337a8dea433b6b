/* Builds against the installed header and library only, in C: with find_package, pkg-config,
 * add_subdirectory, and on Windows against the zip's import libraries.
 *   consumer [VERSION]
 * VERSION is the version the package declares (0.0.2.2); DllGetVersion must answer its number. */
#include <morvane.h>
#include <stdio.h>

#include "every_export.h"

int main(int argc, char** argv) {
  const int failed = CallEveryExport();
  const int32_t version = DllGetVersion();
  unsigned major = 0, minor = 0, build = 0;
  if (argc > 1 && sscanf(argv[1], "%u.%u.%u", &major, &minor, &build) != 3) {
    fprintf(stderr, "consumer: '%s' is not a version\n", argv[1]);
    return 2;
  }
  const int32_t want = argc > 1 ? (int32_t)(major * 100 + minor * 10 + build) : version;
  if (failed != 0) printf("consumer: export %d gave a wrong answer\n", failed);
#if !defined(_WIN32)
  const int image_failed = CallImageApi();
  if (image_failed != 0) printf("consumer: image check %d failed\n", image_failed);
  if (image_failed != 0) return 1;
#endif
  printf("consumer: every export called, version number %d (want %d)\n", (int)version, (int)want);
  return failed == 0 && version == want ? 0 : 1;
}
