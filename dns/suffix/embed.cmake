# Writes the public suffix list INPUT as a C++ string literal to OUTPUT, one
# line per line of the list, every line end turned into a NUL byte so that
# the rules can point into the text.
file(READ "${INPUT}" hex HEX)
if(NOT hex MATCHES "0a$")
    string(APPEND hex "0a")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" text "${hex}")
string(REPLACE "\\x0a" "\\x00\"\n\"" text "${text}")
file(WRITE "${OUTPUT}"
    "// Generated at build time from ${INPUT}.\n"
    "#include \"dns/suffix/publicsuffixlist.h\"\n\n"
    "namespace Kestrava\n{\nnamespace Dns\n{\n\n"
    "const char src_public_suffix_list_dat[] = \"${text}\";\n"
    "const size_t src_public_suffix_list_dat_size = sizeof src_public_suffix_list_dat - 1;\n\n"
    "} // namespace Dns\n} // namespace Kestrava\n")
