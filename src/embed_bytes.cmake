# cmake -DINPUT=FILE -DOUTPUT=SOURCE.cpp -DARRAY=NAME -DSIZE=NAME -P embed_bytes.cmake
# Writes a C++ source that defines the bytes of FILE as `const unsigned char kestrel::ARRAY[]`
# and their count as `const size_t kestrel::SIZE`, so that data files compile into the program
# with any compiler.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
if(digits EQUAL 0)
  message(FATAL_ERROR "${INPUT} is empty: there is nothing to compile in")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Sixteen bytes a line.
string(REPEAT "0x[0-9a-f][0-9a-f]," 16 line)
string(REGEX REPLACE "(${line})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}"
     "// Generated from ${INPUT} by embed_bytes.cmake; do not edit.\n"
     "#include <cstddef>\n\n"
     "namespace kestrel {\n"
     "extern const unsigned char ${ARRAY}[] = {\n${bytes}\n};\n"
     "extern const std::size_t ${SIZE} = sizeof(${ARRAY});\n"
     "}  // namespace kestrel\n")
