# Every library the core links comes from the system's packages
# (scripts/install-dependencies installs them on Debian).
include_guard(GLOBAL)

# ccache only for a build of this project itself, not for a project that includes it.
if(velor_is_top_level)
  find_program(VELOR_CCACHE ccache)
endif()
if(VELOR_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(CMAKE_C_COMPILER_LAUNCHER "${VELOR_CCACHE}")
  set(CMAKE_CXX_COMPILER_LAUNCHER "${VELOR_CCACHE}")
endif()

set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)

find_package(Boost 1.74 REQUIRED COMPONENTS filesystem date_time)

find_package(OpenCL REQUIRED)

set(BLA_VENDOR OpenBLAS)
find_package(BLAS REQUIRED)
find_package(LAPACK REQUIRED)
find_path(VELOR_CBLAS_INCLUDE_DIR cblas.h
  PATH_SUFFIXES openblas x86_64-linux-gnu/openblas-pthread x86_64-linux-gnu
  REQUIRED)

if(VELOR_BUILD_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

if(VELOR_BUILD_BENCHMARKS)
  find_package(benchmark REQUIRED)
endif()
