# Script half of velor_embed_text: writes OUTPUT from the INPUTS (separated by |),
# one after the other.
string(REPLACE "|" ";" inputs "${INPUTS}")
set(bytes "")
foreach(input IN LISTS inputs)
  file(READ "${input}" input_bytes HEX)
  string(APPEND bytes "${input_bytes}")
endforeach()
# Sixteen bytes to a line, so that compilers and diffs stay happy.
string(REPEAT "[0-9a-f]" 32 sixteen_bytes)
string(REGEX REPLACE "(${sixteen_bytes})" "\\1\n    " bytes "${bytes}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${bytes}")
file(WRITE "${OUTPUT}"
"// Generated from ${INPUTS}; edit those files instead.\n"
"namespace ${NAMESPACE} {\n"
"namespace {\n"
"const char embeddedBytes[] = {\n    ${bytes}'\\0'};\n"
"} // namespace\n"
"extern const char* const ${NAME};\n"
"const char* const ${NAME} = embeddedBytes;\n"
"} // namespace ${NAMESPACE}\n")
