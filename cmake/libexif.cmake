# libexif from its upstream source with the patches of Debian's packaging (scripts/setup.sh), built as a
# plain static library: only its parser is used (a photo's date taken), with no translations and
# without the parsers of camera makers' maker notes (see libexif-no-makernotes.c).
set(KW_LIBEXIF_DIR "${KW_DEPS_DIR}/libexif" CACHE PATH "libexif source")
set(kw_libexif_gen "${CMAKE_BINARY_DIR}/_libexif")
file(WRITE "${kw_libexif_gen}/config.h.in" "/* libexif built without gettext */\n#define GETTEXT_PACKAGE \"libexif-12\"\n")
configure_file("${kw_libexif_gen}/config.h.in" "${kw_libexif_gen}/config.h" COPYONLY)
# What its configure script would write: the C99 integer types, which every compiler here has.
file(WRITE "${kw_libexif_gen}/libexif/_stdint.h.in" "#include <stdint.h>\n")
configure_file("${kw_libexif_gen}/libexif/_stdint.h.in" "${kw_libexif_gen}/libexif/_stdint.h" COPYONLY)
file(GLOB kw_libexif_sources "${KW_LIBEXIF_DIR}/libexif/*.c")
add_library(exif STATIC ${kw_libexif_sources} "${CMAKE_CURRENT_LIST_DIR}/libexif-no-makernotes.c")
target_include_directories(exif SYSTEM PUBLIC "${KW_LIBEXIF_DIR}" "${kw_libexif_gen}" PRIVATE "${KW_LIBEXIF_DIR}/libexif")
# Its own code is not ours to keep free of warnings.
target_compile_options(exif PRIVATE -w)
