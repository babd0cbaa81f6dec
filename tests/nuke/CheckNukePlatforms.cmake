# cmake -DSOURCE_DIR=<repository> -DSCRATCH=<directory> [-DVERSION=<x.y>] -P CheckNukePlatforms.cmake
# Without VERSION: checks the platform table and the reading of an NDK's version. With VERSION:
# asks for that version's platform, as a build against its NDK would.
include("${SOURCE_DIR}/cmake/VelorNukePlatform.cmake")

function(fake_ndk version)
  string(REPLACE "." ";" parts "${version}")
  list(GET parts 0 major)
  list(GET parts 1 minor)
  file(WRITE "${SCRATCH}/include/DDImage/ddImageVersionNumbers.h"
       "#define kDDImageVersion \"${version}v1\"\n#define kDDImageVersionMajorNum ${major}\n"
       "#define kDDImageVersionMinorNum ${minor}\n#define kDDImageVersionReleaseNum 1\n")
endfunction()

if(DEFINED VERSION)
  fake_ndk("${VERSION}")
  velor_nuke_version("${SCRATCH}" version)
  velor_nuke_platform("${version}" standard abi glibc)
  message(STATUS "Nuke ${version}: C++${standard}, ABI ${abi}, glibc ${glibc}")
  return()
endif()

foreach(row "12.2 14 0 2.17" "13.0 14 0 2.17" "13.2 14 0 2.17" "14.0 17 0 2.17" "14.1 17 0 2.17"
            "15.0 17 1 2.28" "15.2 17 1 2.28" "16.0 17 1 2.28")
  string(REPLACE " " ";" row "${row}")
  list(GET row 0 version)
  fake_ndk("${version}")
  velor_nuke_version("${SCRATCH}" read)
  velor_nuke_platform("${read}" standard abi glibc)
  if(NOT "${read};${standard};${abi};${glibc}" STREQUAL "${row}")
    message(FATAL_ERROR "Nuke ${version}: read ${read}, C++${standard}, ABI ${abi}, glibc ${glibc}; "
                        "expected ${row}")
  endif()
endforeach()
