# PCRE2's 8-bit library from its upstream source (Debian's source package, see scripts/setup.sh),
# built by hand as its NON-AUTOTOOLS-BUILD describes: its own CMake project would run dozens of
# configure checks under the cross compiler for settings that are fixed here anyway.
set(KW_PCRE2_DIR "${KW_DEPS_DIR}/pcre2" CACHE PATH "PCRE2 source")
set(kw_pcre2_gen "${CMAKE_BINARY_DIR}/_pcre2")
configure_file("${KW_PCRE2_DIR}/src/pcre2.h.generic" "${kw_pcre2_gen}/pcre2.h" COPYONLY)
configure_file("${KW_PCRE2_DIR}/src/config.h.generic" "${kw_pcre2_gen}/config.h" COPYONLY)
configure_file("${KW_PCRE2_DIR}/src/pcre2_chartables.c.dist" "${kw_pcre2_gen}/pcre2_chartables.c" COPYONLY)
set(kw_pcre2_sources)
foreach(unit auto_possess chkdint compile compile_class config context convert dfa_match error extuni
        find_bracket jit_compile maketables match match_data newline ord2utf pattern_info script_run
        serialize string_utils study substitute substring tables ucd valid_utf xclass)
  list(APPEND kw_pcre2_sources "${KW_PCRE2_DIR}/src/pcre2_${unit}.c")
endforeach()
add_library(pcre2-8 STATIC ${kw_pcre2_sources} "${kw_pcre2_gen}/pcre2_chartables.c")
target_include_directories(pcre2-8 SYSTEM PUBLIC "${kw_pcre2_gen}" PRIVATE "${KW_PCRE2_DIR}/src")
target_compile_definitions(pcre2-8
  PUBLIC PCRE2_STATIC PCRE2_CODE_UNIT_WIDTH=8
  PRIVATE HAVE_CONFIG_H SUPPORT_PCRE2_8 SUPPORT_UNICODE SUPPORT_JIT
          HAVE_MEMMOVE HAVE_LIMITS_H HAVE_STDINT_H HAVE_INTTYPES_H HAVE_STDLIB_H HAVE_STRING_H)
