# Gives DATASAVE_DIR a copy of each empty database of EMPTY_DIR that it lacks.
# A database that is there holds a hotel's data and is never touched, whatever
# the schema says now: existing files are brought up to date by the program
# itself when it starts. Used by the build (the build tree's program folder)
# and by the install.
#   cmake -DEMPTY_DIR=... -DDATASAVE_DIR=... -P EnsureDatabases.cmake
cmake_minimum_required(VERSION 3.21)
file(MAKE_DIRECTORY "${DATASAVE_DIR}")
file(GLOB databases RELATIVE "${EMPTY_DIR}" "${EMPTY_DIR}/*.db")
foreach(db IN LISTS databases)
  set(target "${DATASAVE_DIR}/${db}")
  if(EXISTS "${target}" OR IS_SYMLINK "${target}")
    continue()
  endif()
  # A journal whose database is gone holds pages of that database; a new file
  # beside it would be opened as if the journal were its own and be corrupted.
  if(EXISTS "${target}-journal" OR EXISTS "${target}-wal")
    message(WARNING "${target} is missing, but its journal is there: no empty database is put beside it. "
                    "Restore the database file, or move the journal away to start empty.")
    continue()
  endif()
  message(STATUS "Creating empty ${target}")
  set(partial "${target}.new")
  file(COPY_FILE "${EMPTY_DIR}/${db}" "${partial}")
  # NO_REPLACE: should the file appear meanwhile, it is kept. The rename may
  # leave the partial copy behind (it links where it can), so it goes in any case.
  file(RENAME "${partial}" "${target}" NO_REPLACE RESULT ignored)
  file(REMOVE "${partial}")
endforeach()
