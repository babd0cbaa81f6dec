# cmake -DMODULE=<plug-in> -DNM=<nm> -P CheckModuleExports.cmake
# Fails when the plug-in exports any symbol: the host needs none.
execute_process(COMMAND "${NM}" -D --defined-only "${MODULE}"
  OUTPUT_VARIABLE exported RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "nm failed on ${MODULE}")
endif()
string(REGEX REPLACE "[^\n]* [A-Za-z] " "" names "${exported}")
string(STRIP "${names}" names)
if(NOT names STREQUAL "")
  message(FATAL_ERROR "${MODULE} exports symbols:\n${names}")
endif()
message(STATUS "${MODULE} exports no symbols")
