# Included before the dependencies are looked for, so that a Nuke build does
# not require what it switches off.
#
# The Nuke plug-in builds against a Nuke installation when NUKE_ROOT names
# one, and against the DDImage stand-in of this repository otherwise.
#
# With NUKE_ROOT the NDK's version decides the platform (VelorNukePlatform):
# the node sources compile at its C++ standard, and the whole tree is built
# with its libstdc++ string ABI, so that velor_core, which the plug-in links
# statically, passes std::string the way the NDK does. A version the table
# does not know is refused. The tests and the command-line tool link system
# libraries and are therefore switched off in that mode. Without NUKE_ROOT
# the node sources compile at C++14, the standard of the oldest supported
# Nuke.
include_guard(GLOBAL)
include("${CMAKE_CURRENT_LIST_DIR}/VelorNukePlatform.cmake")

set(VELOR_NDK_CXX_STANDARD 14)

set(NUKE_ROOT "" CACHE PATH "Nuke installation to build the plug-in against (empty: the DDImage stand-in)")

if(NUKE_ROOT AND VELOR_BUILD_PLUGIN)
  if(NOT EXISTS "${NUKE_ROOT}/include/DDImage/PlanarIop.h")
    message(FATAL_ERROR "NUKE_ROOT=${NUKE_ROOT} holds no include/DDImage/PlanarIop.h. "
                        "Point NUKE_ROOT at the Nuke installation directory (e.g. /usr/local/Nuke12.2v1).")
  endif()
  find_library(VELOR_DDIMAGE_LIBRARY DDImage PATHS "${NUKE_ROOT}" NO_DEFAULT_PATH)
  if(NOT VELOR_DDIMAGE_LIBRARY)
    message(FATAL_ERROR "No libDDImage.so in NUKE_ROOT=${NUKE_ROOT}. Point NUKE_ROOT at the "
                        "Nuke installation directory, which holds libDDImage.so next to the Nuke executable.")
  endif()
  add_library(velor_ddimage INTERFACE)
  target_include_directories(velor_ddimage SYSTEM INTERFACE "${NUKE_ROOT}/include")
  target_link_libraries(velor_ddimage INTERFACE "${VELOR_DDIMAGE_LIBRARY}")
  add_library(velor::ddimage ALIAS velor_ddimage)

  velor_nuke_version("${NUKE_ROOT}" VELOR_NUKE_VERSION)
  velor_nuke_platform("${VELOR_NUKE_VERSION}" VELOR_NDK_CXX_STANDARD velor_nuke_abi velor_nuke_glibc)
  add_compile_definitions(_GLIBCXX_USE_CXX11_ABI=${velor_nuke_abi})
  foreach(option VELOR_BUILD_TESTS VELOR_BUILD_CLI VELOR_BUILD_BENCHMARKS)
    if(${option})
      message(STATUS "${option} is off with NUKE_ROOT: it links system libraries, whose ABI and "
                     "glibc need not be those of Nuke's platform")
      set(${option} OFF)
    endif()
  endforeach()
  message(STATUS "Nuke ${VELOR_NUKE_VERSION} plug-in against ${NUKE_ROOT} "
                 "(C++${VELOR_NDK_CXX_STANDARD}, _GLIBCXX_USE_CXX11_ABI=${velor_nuke_abi}, "
                 "for glibc ${velor_nuke_glibc}; check with scripts/check-plugin-platform "
                 "--nuke ${VELOR_NUKE_VERSION})")
endif()
# Without NUKE_ROOT the top level adds the DDImage stand-in once the
# dependencies are found.

# The static archives of the libraries that the plug-in module takes inside
# (a Nuke host lacks them): Boost.Filesystem and Boost.Date_Time, OpenBLAS
# (BLAS and LAPACK) and the Fortran runtime OpenBLAS's LAPACK may need. Each
# is looked for next to the library the rest of the build links.
function(velor_nuke_static_dependencies out)
  set(archives "")
  foreach(component filesystem date_time)
    get_target_property(location Boost::${component} LOCATION)
    get_filename_component(directory "${location}" DIRECTORY)
    find_library(VELOR_STATIC_BOOST_${component} NAMES libboost_${component}.a
      HINTS "${directory}" NO_DEFAULT_PATH)
    list(APPEND archives "${VELOR_STATIC_BOOST_${component}}")
  endforeach()
  set(blas_directories "")
  foreach(library IN LISTS LAPACK_LIBRARIES BLAS_LIBRARIES)
    if(IS_ABSOLUTE "${library}")
      get_filename_component(real "${library}" REALPATH)
      get_filename_component(directory "${real}" DIRECTORY)
      list(APPEND blas_directories "${directory}")
    endif()
  endforeach()
  find_library(VELOR_STATIC_OPENBLAS NAMES libopenblas.a HINTS ${blas_directories}
    PATH_SUFFIXES openblas-pthread openblas)
  list(APPEND archives "${VELOR_STATIC_OPENBLAS}")
  # An OpenBLAS whose LAPACK is Fortran code needs the Fortran runtime; one
  # built with C_LAPACK does not.
  execute_process(COMMAND "${CMAKE_NM}" -u "${VELOR_STATIC_OPENBLAS}"
    OUTPUT_VARIABLE openblas_undefined ERROR_QUIET)
  if(openblas_undefined MATCHES "_gfortran_")
    foreach(runtime gfortran quadmath)
      execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=lib${runtime}.a
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
      if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        set(path "VELOR_STATIC_${runtime}-NOTFOUND")
      endif()
      list(APPEND archives "${path}")
    endforeach()
  endif()
  foreach(archive IN LISTS archives)
    if(NOT archive OR archive MATCHES "NOTFOUND$")
      message(FATAL_ERROR "The plug-in module links Boost.Filesystem, Boost.Date_Time, OpenBLAS "
        "and the Fortran runtime statically, but an archive is missing (${archive}). On Debian "
        "install libboost-filesystem-dev, libboost-date-time-dev, libopenblas-pthread-dev and "
        "gfortran (scripts/install-dependencies).")
    endif()
  endforeach()
  set(${out} ${archives} PARENT_SCOPE)
endfunction()
