# Writes OUTPUT: a C++ source defining std::string_view resources::SYMBOL() over the
# bytes of INPUT.
file(READ "${INPUT}" content HEX)
string(LENGTH "${content}" hexLength)
math(EXPR byteCount "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${content}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; do not edit.
#include \"resources/Resources.h\"

namespace resources {
namespace {
const unsigned char data[] = {
${bytes}0x00};
} // namespace

std::string_view ${SYMBOL}() {
    return std::string_view(reinterpret_cast<const char*>(data), ${byteCount});
}
} // namespace resources
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
