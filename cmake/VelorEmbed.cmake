# velor_embed_text(<target> INPUT <file>... OUTPUT <file.cpp> NAMESPACE <ns> NAME <identifier>)
#
# Turns text files of the repository (a data table, an OpenCL program) into a
# C++ source that defines
#     namespace <ns> { extern const char* const <identifier>; }
# holding the files' bytes one after the other, zero-terminated, and adds it to
# <target>. The source is regenerated whenever a text file changes.
include_guard(GLOBAL)

set(VELOR_EMBED_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/VelorEmbedScript.cmake")

function(velor_embed_text target)
  cmake_parse_arguments(ARG "" "OUTPUT;NAMESPACE;NAME" "INPUT" ${ARGN})
  string(REPLACE ";" "|" inputs "${ARG_INPUT}")
  add_custom_command(
    OUTPUT "${ARG_OUTPUT}"
    COMMAND "${CMAKE_COMMAND}" "-DINPUTS=${inputs}" -DOUTPUT=${ARG_OUTPUT}
            -DNAMESPACE=${ARG_NAMESPACE} -DNAME=${ARG_NAME} -P "${VELOR_EMBED_SCRIPT}"
    DEPENDS ${ARG_INPUT} "${VELOR_EMBED_SCRIPT}"
    COMMENT "Embedding ${ARG_NAME}"
    VERBATIM)
  target_sources(${target} PRIVATE "${ARG_OUTPUT}")
endfunction()
