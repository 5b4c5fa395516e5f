# cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DSYMBOL=<name> -P EmbedText.cmake
# Writes a C++ source defining kelto::data::<SYMBOL> as the text of INPUT, so
# the library carries its data tables without looking for files at run time.
file(READ "${INPUT}" text)
string(FIND "${text}" ")kelto_embed\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} contains the raw-string delimiter")
endif()
file(WRITE "${OUTPUT}.tmp"
     "// Generated from ${INPUT}; do not edit.\nnamespace kelto::data {\nextern const char ${SYMBOL}[];\nconst char ${SYMBOL}[] = R\"kelto_embed(${text})kelto_embed\";\n}  // namespace kelto::data\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
