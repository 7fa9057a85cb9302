# Writes the header that tells the program which commit it was built from (run at every build by
# the kw_version target; the header is rewritten only when the text changes, so an unchanged
# commit rebuilds nothing). -DSOURCE_DIR=<checkout> -DOUTPUT=<header>
execute_process(COMMAND git -C "${SOURCE_DIR}" describe --always --dirty --abbrev=10
                OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR commit STREQUAL "")
  set(commit "unknown")
endif()
execute_process(COMMAND git -C "${SOURCE_DIR}" log -1 --format=%cs
                OUTPUT_VARIABLE day OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
set(text "#pragma once\n#define KW_BUILD_COMMIT \"${commit}\"\n#define KW_BUILD_DATE \"${day}\"\n")
set(old "")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
