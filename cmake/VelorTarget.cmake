# One place for the language level, warnings, position-independent code and
# sanitizer flags that every target of the project gets.
include_guard(GLOBAL)

if(VELOR_SANITIZE STREQUAL "thread")
  set(VELOR_SANITIZER_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
  set(VELOR_SANITIZER_LINK_FLAGS -fsanitize=thread)
else()
  set(VELOR_SANITIZER_FLAGS
      -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  set(VELOR_SANITIZER_LINK_FLAGS -fsanitize=address,undefined)
endif()

function(velor_configure_target target)
  target_compile_features(${target} PUBLIC cxx_std_17)
  set_target_properties(${target} PROPERTIES
    CXX_EXTENSIONS OFF
    POSITION_INDEPENDENT_CODE ON)
  velor_configure_warnings_and_sanitizers(${target})
endfunction()

function(velor_configure_warnings_and_sanitizers target)
  target_compile_options(${target} PRIVATE
    $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor>)
  if(VELOR_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU,Clang>:-Werror>)
  endif()
  if(VELOR_SANITIZE)
    target_compile_options(${target} PRIVATE ${VELOR_SANITIZER_FLAGS})
    target_link_options(${target} PUBLIC ${VELOR_SANITIZER_LINK_FLAGS})
  endif()
endfunction()

# velor_add_library(<subsystem> [PUBLIC <targets...>] [PRIVATE <targets...>])
# One static library, velor_<subsystem>, of the sources in src/<subsystem>/,
# with src/ as include root. What the folder may include is what it links:
# tests/layering checks the includes against these links.
function(velor_add_library subsystem)
  cmake_parse_arguments(ARG "" "" "PUBLIC;PRIVATE" ${ARGN})
  set(folder "${PROJECT_SOURCE_DIR}/src/${subsystem}")
  file(GLOB sources CONFIGURE_DEPENDS "${folder}/*.cpp" "${folder}/*.h")
  set(target velor_${subsystem})
  add_library(${target} STATIC ${sources})
  velor_configure_target(${target})
  target_include_directories(${target} PUBLIC
    "$<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/src>"
    "$<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>"
    "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>"
    "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/velor>")
  target_link_libraries(${target} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${subsystem})
  if(EXISTS "${folder}/sources.cmake")
    include("${folder}/sources.cmake")
  endif()
endfunction()

# velor_add_test(<name> SOURCES <files...> LIBRARIES <targets...>)
# Builds one GoogleTest executable and registers each of its test cases with CTest.
function(velor_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  velor_configure_target(${name})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock GTest::gtest_main
                                        ${ARG_LIBRARIES})
  target_compile_definitions(${name} PRIVATE
    VELOR_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    DISCOVERY_TIMEOUT 120
    PROPERTIES ENVIRONMENT "ASAN_OPTIONS=halt_on_error=1:abort_on_error=0;UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0;TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp")
endfunction()

# Targets built at the Nuke NDK's language level (the plug-in, the rules it
# shares with the command-line tool, the DDImage stand-in): the standard of
# the NDK (VELOR_NDK_CXX_STANDARD, C++14 for the stand-in), otherwise as
# velor_configure_target. They must not take velor::core's C++17 requirement,
# which even $<LINK_ONLY:...> passes on to a target's own compilation: link it
# as INTERFACE $<LINK_ONLY:velor::core>, or in the final program.
function(velor_configure_ndk_target target)
  if(NOT VELOR_NDK_CXX_STANDARD)
    set(VELOR_NDK_CXX_STANDARD 14)
  endif()
  set_target_properties(${target} PROPERTIES
    CXX_STANDARD ${VELOR_NDK_CXX_STANDARD}
    CXX_STANDARD_REQUIRED ON
    CXX_EXTENSIONS OFF
    POSITION_INDEPENDENT_CODE ON)
  velor_configure_warnings_and_sanitizers(${target})
endfunction()
