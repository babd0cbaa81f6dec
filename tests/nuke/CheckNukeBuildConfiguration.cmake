# cmake -DSOURCE_DIR=<repository> -DSCRATCH=<directory> -DGENERATOR=<generator> -DCXX=<compiler>
#       -P CheckNukeBuildConfiguration.cmake
# Configures the repository against a stand-in NDK of Nuke 15.1 and checks the flags of the nodes.
file(REMOVE_RECURSE "${SCRATCH}")
file(COPY "${SOURCE_DIR}/ddimage_standin/include" DESTINATION "${SCRATCH}/nuke")
file(WRITE "${SCRATCH}/nuke/include/DDImage/ddImageVersionNumbers.h"
     "#define kDDImageVersion \"15.1v1\"\n#define kDDImageVersionMajorNum 15\n"
     "#define kDDImageVersionMinorNum 1\n#define kDDImageVersionReleaseNum 1\n")
file(WRITE "${SCRATCH}/nuke/libDDImage.so" "")
execute_process(
  COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${SCRATCH}/build" -G "${GENERATOR}"
          -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release -DNUKE_ROOT=${SCRATCH}/nuke
          -DVELOR_BUILD_PYTHON=OFF
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "The configuration against Nuke 15.1 failed:\n${output}\n${errors}")
endif()
if(NOT output MATCHES "Nuke 15\\.1 plug-in against")
  message(FATAL_ERROR "The configuration does not name Nuke 15.1:\n${output}")
endif()
# Makefile generators keep a target's flags in its flags.make, Ninja in build.ninja.
set(flags "${SCRATCH}/build/src/nuke/CMakeFiles/velor_nuke_nodes.dir/flags.make")
if(NOT EXISTS "${flags}")
  set(flags "${SCRATCH}/build/build.ninja")
endif()
if(NOT EXISTS "${flags}")
  message(FATAL_ERROR "No flags of velor_nuke_nodes after the configuration")
endif()
file(READ "${flags}" text)
foreach(expected "-std=c\\+\\+17" "_GLIBCXX_USE_CXX11_ABI=1" "VELOR_NDK_CXX_STANDARD=17")
  if(NOT text MATCHES "${expected}")
    message(FATAL_ERROR "velor_nuke_nodes is not built with ${expected}:\n${text}")
  endif()
endforeach()
file(REMOVE_RECURSE "${SCRATCH}")
