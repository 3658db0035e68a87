# Writes a C++ source defining `const char* nimbo::SYMBOL()` that returns INPUT's text.
file(READ ${INPUT} content)
string(FIND "${content}" ")NIMBOTEXT\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} contains the raw-string delimiter")
endif()
file(WRITE ${OUTPUT} "// Generated from ${INPUT}; edit that file instead.\n"
  "namespace nimbo {\nconst char* ${SYMBOL}() {\n  return R\"NIMBOTEXT(${content})NIMBOTEXT\";\n}\n}  // namespace nimbo\n")
