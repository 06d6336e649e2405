# Writes OUTPUT as an empty database made from the schema file SCHEMA with the
# sqlite3 shell SQLITE3. Only for the build's folder of empty databases, whose
# files are build output: it replaces what is there. The file appears whole or
# not at all, so a failed schema never leaves a half-made database behind.
#   cmake -DSQLITE3=... -DSCHEMA=... -DOUTPUT=... -P EmptyDatabase.cmake
set(partial "${OUTPUT}.new")
file(REMOVE "${partial}" "${partial}-journal" "${partial}-wal" "${partial}-shm")
get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
execute_process(COMMAND "${SQLITE3}" -bail "${partial}"
                INPUT_FILE "${SCHEMA}"
                RESULT_VARIABLE result
                OUTPUT_QUIET
                ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  file(REMOVE "${partial}" "${partial}-journal" "${partial}-wal" "${partial}-shm")
  message(FATAL_ERROR "${SCHEMA}: ${error}")
endif()
file(RENAME "${partial}" "${OUTPUT}")
