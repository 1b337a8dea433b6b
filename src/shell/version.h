/* The library's version, shared by the C++ sources and the Windows resource script (so: plain
 * macros, no C++). */
#ifndef MORVANE_SHELL_VERSION_H_
#define MORVANE_SHELL_VERSION_H_

#define MORVANE_VERSION_MAJOR 0
#define MORVANE_VERSION_MINOR 0
#define MORVANE_VERSION_BUILD 2
#define MORVANE_VERSION_REVISION 2
#define MORVANE_VERSION_TEXT "0, 0, 2, 2"

/* What DllGetVersion returns: major * 100 + minor * 10 + build. */
#define MORVANE_VERSION_NUMBER \
  (MORVANE_VERSION_MAJOR * 100 + MORVANE_VERSION_MINOR * 10 + MORVANE_VERSION_BUILD)

#endif /* MORVANE_SHELL_VERSION_H_ */
