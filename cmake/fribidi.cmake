# GNU FriBidi (the Unicode bidirectional algorithm and Arabic joining) from its upstream source
# (Debian's source package, see scripts/setup.sh), built by hand: the release ships its Unicode
# tables (lib/*.tab.i), so only its two configuration headers are written here, with what its
# Meson build would find on this target.
set(KW_FRIBIDI_DIR "${KW_DEPS_DIR}/fribidi" CACHE PATH "FriBidi source")
set(kw_fribidi_gen "${CMAKE_BINARY_DIR}/_fribidi")
file(CONFIGURE OUTPUT "${kw_fribidi_gen}/config.h" CONTENT [[
#define HAVE_MEMMOVE 1
#define HAVE_MEMSET 1
#define HAVE_STRDUP 1
#define HAVE_STDLIB_H 1
#define HAVE_STRING_H 1
#define HAVE_MEMORY_H 1
#define HAVE_STRINGS_H 1
#define STDC_HEADERS 1
#define HAVE_STRINGIZE 1
]])
file(CONFIGURE OUTPUT "${kw_fribidi_gen}/fribidi-config.h" CONTENT [[
#ifndef FRIBIDI_CONFIG_H
#define FRIBIDI_CONFIG_H
#define FRIBIDI "fribidi"
#define FRIBIDI_NAME "GNU FriBidi"
#define FRIBIDI_BUGREPORT ""
#define FRIBIDI_VERSION "1.0.16"
#define FRIBIDI_MAJOR_VERSION 1
#define FRIBIDI_MINOR_VERSION 0
#define FRIBIDI_MICRO_VERSION 16
#define FRIBIDI_INTERFACE_VERSION 4
#define FRIBIDI_INTERFACE_VERSION_STRING "4"
#define FRIBIDI_SIZEOF_INT 4
#undef FRIBIDI_BUILT_WITH_MSVC
#endif
]])
set(kw_fribidi_sources)
foreach(unit fribidi fribidi-arabic fribidi-bidi fribidi-bidi-types fribidi-brackets fribidi-char-sets
        fribidi-char-sets-cap-rtl fribidi-char-sets-cp1255 fribidi-char-sets-cp1256
        fribidi-char-sets-iso8859-6 fribidi-char-sets-iso8859-8 fribidi-char-sets-utf8 fribidi-deprecated
        fribidi-joining fribidi-joining-types fribidi-mirroring fribidi-run fribidi-shape)
  list(APPEND kw_fribidi_sources "${KW_FRIBIDI_DIR}/lib/${unit}.c")
endforeach()
add_library(fribidi STATIC ${kw_fribidi_sources})
target_include_directories(fribidi SYSTEM PUBLIC "${kw_fribidi_gen}" "${KW_FRIBIDI_DIR}/lib")
target_compile_definitions(fribidi PUBLIC FRIBIDI_LIB_STATIC PRIVATE HAVE_CONFIG_H FRIBIDI_BUILD)
