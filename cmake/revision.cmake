# Writes the source tree's short git revision as a C string literal into
# OUTPUT, touching the file only when the revision has changed.
execute_process(COMMAND git rev-parse --short HEAD WORKING_DIRECTORY ${SOURCE_DIR}
                OUTPUT_VARIABLE revision OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT revision)
  set(revision unknown)
endif()
file(CONFIGURE OUTPUT ${OUTPUT} CONTENT "\"${revision}\"\n")
