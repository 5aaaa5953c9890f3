# Writes OUTPUT, a C++ source defining `std::string_view FUNCTION()` in
# namespace dalvren that returns the text of INPUT exactly, so that a text
# kept in its own file is compiled into the program. HEADER is the header
# that declares the function.
# Run as: cmake -DINPUT=... -DOUTPUT=... -DFUNCTION=... -DHEADER=... -P
file(READ "${INPUT}" text)
set(delimiter "dalvren_text")
string(FIND "${text}" ")${delimiter}\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} holds the raw string's delimiter")
endif()
file(
  WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT}; edit that file instead.\n"
  "#include \"${HEADER}\"\n\n"
  "namespace dalvren {\n\n"
  "std::string_view ${FUNCTION}() {\n"
  "  return R\"${delimiter}(${text})${delimiter}\";\n"
  "}\n\n"
  "}  // namespace dalvren\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
