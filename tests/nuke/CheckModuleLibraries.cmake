# cmake -DMODULE=<plug-in> -DREADELF=<readelf> [-DSANITIZE=ON] -P CheckModuleLibraries.cmake
# Fails when the plug-in needs a library at run time that a Nuke host does not
# have: only libDDImage, OpenCL and the C/C++ runtime may be named (and the
# sanitizer runtimes in a sanitizer build).
cmake_policy(SET CMP0057 NEW)
execute_process(COMMAND "${READELF}" -d -W "${MODULE}"
  OUTPUT_VARIABLE dynamic RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "readelf failed on ${MODULE}")
endif()
set(allowed libDDImage.so libOpenCL.so.1 libc.so.6 libm.so.6 libstdc++.so.6 libgcc_s.so.1
            ld-linux-x86-64.so.2 libpthread.so.0 libdl.so.2)
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*\\[[^]\n]+\\]" entries "${dynamic}")
set(unexpected "")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE ".*\\[([^]]+)\\]" "\\1" library "${entry}")
  if(library IN_LIST allowed OR (SANITIZE AND library MATCHES "^lib(a|ub|t)san\\.so"))
    message(STATUS "needs ${library}")
  else()
    list(APPEND unexpected "${library}")
  endif()
endforeach()
if(NOT entries)
  message(FATAL_ERROR "${MODULE} names no library at all; is it a shared object?")
endif()
if(unexpected)
  string(REPLACE ";" ", " unexpected "${unexpected}")
  message(FATAL_ERROR "${MODULE} needs libraries that a Nuke host lacks: ${unexpected}")
endif()
