# The optional parts of the build (tests, bench, tool). Each MORVANE_BUILD_<PART> is AUTO, ON or
# OFF. AUTO builds the part when what it needs is found and otherwise skips it with one status
# line naming the Debian packages that would bring it; ON (as the scripts pass it) fails the
# configure instead; OFF skips it silently. Under another project AUTO means OFF: a host that adds
# Morvane with add_subdirectory or FetchContent gets the library alone unless it asks for more.
function(morvane_part part description)
  set(MORVANE_BUILD_${part} AUTO CACHE STRING "Build ${description}: AUTO, ON or OFF")
  set_property(CACHE MORVANE_BUILD_${part} PROPERTY STRINGS AUTO ON OFF)
endfunction()

# Sets <out> to whether the part is to be looked for at all.
function(morvane_part_wanted part out)
  set(value "${MORVANE_BUILD_${part}}")
  if(value MATCHES "^[Aa][Uu][Tt][Oo]$")
    set(${out} ${MORVANE_TOP_LEVEL} PARENT_SCOPE)
  elseif(value)
    set(${out} ON PARENT_SCOPE)
  else()
    set(${out} OFF PARENT_SCOPE)
  endif()
endfunction()

# Given the packages a wanted part still lacks, sets <out> to whether it is built; a part asked for
# explicitly fails loudly instead of being skipped.
function(morvane_part_found part description missing out)
  if(NOT missing)
    set(${out} ON PARENT_SCOPE)
    return()
  endif()
  list(JOIN missing " " packages)
  if(NOT MORVANE_BUILD_${part} MATCHES "^[Aa][Uu][Tt][Oo]$")
    message(FATAL_ERROR "MORVANE_BUILD_${part}=${MORVANE_BUILD_${part}}, but ${description} "
                        "cannot be built: install ${packages} (scripts/setup.sh does)")
  endif()
  message(STATUS "Morvane: skipping ${description}: install ${packages}")
  set(${out} OFF PARENT_SCOPE)
endfunction()
