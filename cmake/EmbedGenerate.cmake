# Script mode: writes OUTPUT, a C++ source that registers the bytes of INPUT under NAME.
if(NOT NAME OR NOT INPUT OR NOT OUTPUT)
  message(FATAL_ERROR "EmbedGenerate.cmake needs NAME, INPUT and OUTPUT")
endif()
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
if(digits EQUAL 0)
  # LookupResource reports an empty span as a missing resource.
  message(FATAL_ERROR "${INPUT} is empty: an embedded resource must hold at least one byte")
endif()
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# One line per 64 bytes keeps the generated file friendly to editors and compilers.
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
"// Generated from ${INPUT}; do not edit.\n"
"#include \"assets/Resources.h\"\n\n"
"namespace {\n\n"
"const std::uint8_t Bytes[${size}] = {\n${bytes}};\n\n"
"const nyarumi::TResourceRegistration Registration(\"${NAME}\", Bytes);\n\n"
"} // namespace\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
