# Installs the card-reader stand-in into a program folder (run at install
# time), unless the folder holds a reader library that is not the stand-in: a
# vendor's library put there for a real reader is kept, and an install never
# quietly ends card reading. The stand-in is known by the name of the variable
# that tells it where the card lies, which no vendor's library holds.
#   cmake -DREADER=.../termb.so -DFOLDER=... -P InstallReader.cmake
cmake_minimum_required(VERSION 3.16)
get_filename_component(name "${READER}" NAME)
set(installed "${FOLDER}/${name}")
if(EXISTS "${installed}")
  file(STRINGS "${installed}" marker LIMIT_COUNT 1 REGEX "QUILLAN_CARD_DIR")
  if(NOT marker)
    message(STATUS "Keeping the reader library ${installed}: it is not the stand-in")
    return()
  endif()
  file(SHA256 "${installed}" old)
  file(SHA256 "${READER}" new)
  if(old STREQUAL new)
    message(STATUS "Up-to-date: ${installed}")
    return()
  endif()
endif()
# FOLDER holds DESTDIR already, which file(INSTALL) would add again. The old
# stand-in goes first, as file(COPY) passes over a file of the same time stamp.
message(STATUS "Installing: ${installed}")
file(REMOVE "${installed}")
file(COPY "${READER}" DESTINATION "${FOLDER}"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
