# velor_embed_text(<target> INPUT <file> OUTPUT <file.cpp> NAMESPACE <ns> NAME <identifier>)
#
# Turns a text file of the repository (a data table, an OpenCL program) into a
# C++ source that defines
#     namespace <ns> { extern const char* const <identifier>; }
# holding the file's bytes, zero-terminated, and adds it to <target>. The source
# is regenerated whenever the text file changes.
include_guard(GLOBAL)

set(VELOR_EMBED_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/VelorEmbedScript.cmake")

function(velor_embed_text target)
  cmake_parse_arguments(ARG "" "INPUT;OUTPUT;NAMESPACE;NAME" "" ${ARGN})
  add_custom_command(
    OUTPUT "${ARG_OUTPUT}"
    COMMAND "${CMAKE_COMMAND}" -DINPUT=${ARG_INPUT} -DOUTPUT=${ARG_OUTPUT}
            -DNAMESPACE=${ARG_NAMESPACE} -DNAME=${ARG_NAME} -P "${VELOR_EMBED_SCRIPT}"
    DEPENDS "${ARG_INPUT}" "${VELOR_EMBED_SCRIPT}"
    COMMENT "Embedding ${ARG_INPUT}"
    VERBATIM)
  target_sources(${target} PRIVATE "${ARG_OUTPUT}")
endfunction()
