# cmake -DSCRIPT=<check-plugin-platform> -DMODULE=<module> -P CheckPlatformScript.cmake
# The platform check knows the limits of every supported Nuke and refuses another version.
foreach(row "12.2|CentOS 7|GLIBC_2.17 GLIBCXX_3.4.19 CXXABI_1.3.7 GCC_4.8.0"
            "13.1|CentOS 7|GLIBC_2.17 GLIBCXX_3.4.19 CXXABI_1.3.7 GCC_4.8.0"
            "14.0|CentOS 7|GLIBC_2.17 GLIBCXX_3.4.19 CXXABI_1.3.7 GCC_4.8.0"
            "15.1|Rocky Linux 8|GLIBC_2.28 GLIBCXX_3.4.25 CXXABI_1.3.11 GCC_7.0.0"
            "16.0|Rocky Linux 8|GLIBC_2.28 GLIBCXX_3.4.25 CXXABI_1.3.11 GCC_7.0.0")
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 version)
  list(GET row 1 system)
  list(GET row 2 limits)
  execute_process(COMMAND "${SCRIPT}" "${MODULE}" --nuke ${version}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT status MATCHES "^[01]$" OR NOT output MATCHES "against Nuke ${version} on ${system}"
     OR NOT output MATCHES "above the platform's \\(${limits}\\)")
    message(FATAL_ERROR "Nuke ${version}: status ${status}\n${output}\n${errors}")
  endif()
endforeach()
execute_process(COMMAND "${SCRIPT}" "${MODULE}" --nuke 11.3
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 2 OR NOT errors MATCHES "Nuke 11.3: unknown platform")
  message(FATAL_ERROR "Nuke 11.3 was not refused: status ${status}\n${output}\n${errors}")
endif()
