# The platform of each Nuke version the plug-in can be built for: the C++
# standard and libstdc++ string ABI of its NDK, and the glibc its Linux
# platform has (VFX Reference Platform of its year).
#
#   Nuke     GCC    C++  CXX11 ABI  glibc
#   12.2     6.3    14   0          2.17
#   13.x     6.3    14   0          2.17
#   14.x     9.3    17   0          2.17
#   15.x     11.2   17   1          2.28
#   16.x     11.2   17   1          2.28
include_guard(GLOBAL)

# The version "major.minor" of the NDK under a Nuke installation, from
# include/DDImage/ddImageVersionNumbers.h.
function(velor_nuke_version nuke_root out)
  set(header "${nuke_root}/include/DDImage/ddImageVersionNumbers.h")
  if(NOT EXISTS "${header}")
    message(FATAL_ERROR "${header} is missing, so the Nuke version of NUKE_ROOT=${nuke_root} "
                        "is unknown. Point NUKE_ROOT at a Nuke installation directory.")
  endif()
  file(STRINGS "${header}" lines REGEX "#define[ \t]+kDDImageVersion(MajorNum|MinorNum)[ \t]")
  set(major "")
  set(minor "")
  foreach(line IN LISTS lines)
    if(line MATCHES "kDDImageVersionMajorNum[ \t]+([0-9]+)")
      set(major "${CMAKE_MATCH_1}")
    elseif(line MATCHES "kDDImageVersionMinorNum[ \t]+([0-9]+)")
      set(minor "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  if(major STREQUAL "" OR minor STREQUAL "")
    message(FATAL_ERROR "${header} names no kDDImageVersionMajorNum and kDDImageVersionMinorNum, "
                        "so the Nuke version of NUKE_ROOT=${nuke_root} is unknown.")
  endif()
  set(${out} "${major}.${minor}" PARENT_SCOPE)
endfunction()

# The C++ standard, the value of _GLIBCXX_USE_CXX11_ABI and the glibc of a
# Nuke version; a version not in the table above is refused.
function(velor_nuke_platform version standard_out abi_out glibc_out)
  if(version VERSION_EQUAL 12.2 OR version MATCHES "^13\\.")
    set(platform 14 0 2.17)
  elseif(version MATCHES "^14\\.")
    set(platform 17 0 2.17)
  elseif(version MATCHES "^1[56]\\.")
    set(platform 17 1 2.28)
  else()
    message(FATAL_ERROR "Nuke ${version} is not a version this plug-in can be built for: its NDK's "
                        "C++ standard and library ABI are not known here. Known: 12.2, 13.x, "
                        "14.x, 15.x and 16.x. Point NUKE_ROOT at one of those installations.")
  endif()
  list(GET platform 0 standard)
  list(GET platform 1 abi)
  list(GET platform 2 glibc)
  set(${standard_out} "${standard}" PARENT_SCOPE)
  set(${abi_out} "${abi}" PARENT_SCOPE)
  set(${glibc_out} "${glibc}" PARENT_SCOPE)
endfunction()
