# What every target of the project is compiled with, set per target so that a host project that
# adds Morvane keeps its own settings: C++17 without compiler extensions, the project's warnings
# (errors when MORVANE_WERROR is on, as in CI) and, when one is asked for, a sanitizer.

# The sanitizer and fuzzer flags travel as the usage requirements of one interface target.
add_library(morvane_sanitizers INTERFACE)
if(MORVANE_SANITIZE OR MORVANE_FUZZ)
  target_compile_options(morvane_sanitizers INTERFACE -fsanitize=address,undefined
                                                      -fno-sanitize-recover=all
                                                      -fno-omit-frame-pointer)
  if(MORVANE_FUZZ)
    target_compile_options(morvane_sanitizers INTERFACE -fsanitize=fuzzer-no-link)
  endif()
  target_link_options(morvane_sanitizers INTERFACE -fsanitize=address,undefined)
elseif(MORVANE_THREAD_SANITIZER)
  target_compile_options(morvane_sanitizers INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(morvane_sanitizers INTERFACE -fsanitize=thread)
endif()

function(morvane_target_settings target)
  target_compile_features(${target} PRIVATE cxx_std_17)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_link_libraries(${target} PRIVATE $<BUILD_INTERFACE:morvane_sanitizers>)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wno-sign-conversion)
  if(MORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
