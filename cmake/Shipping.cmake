# The library as it ships (scripts/package.sh turns MORVANE_SHIP on): optimised as the tests and
# benchmarks measure it, with no debug information (the static runtime's included), and the same
# bytes whatever folder or day it is built in, so that anyone can check a release against its
# commit.
target_compile_definitions(morvane_objects PRIVATE NDEBUG)
# The prefix maps keep the checkout's and the build's folders out of __FILE__ and any other path
# the compiler records.
target_compile_options(morvane_objects PRIVATE -O2 -g0 -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                                               -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
if(WIN32)
  # ld stamps the link time into the PE header unless told not to. Relocations, ASLR
  # (DYNAMIC_BASE) and NX (NX_COMPAT) are mingw ld's defaults and stay.
  target_link_options(morvane PRIVATE -s -Wl,--no-insert-timestamp)
else()
  # The hardening lintian looks for in a Debian library (fortified libc calls, a read-only GOT
  # bound at load), and stripped as dh_strip strips one: dynamic symbols only, no .comment or .note.
  target_compile_definitions(morvane_objects PRIVATE _FORTIFY_SOURCE=2)
  target_link_options(morvane PRIVATE -Wl,-z,relro,-z,now)
  add_custom_command(TARGET morvane POST_BUILD
                     COMMAND ${CMAKE_STRIP} --strip-unneeded --remove-section=.comment
                             --remove-section=.note $<TARGET_FILE:morvane>)
endif()
