# Writes the desktop menu's entry for an installed program (run at install time).
#   cmake -DTEMPLATE=... -DPREFIX=... -DDESTDIR=... -DHOME=... -DXDG_CONFIG_HOME=... -P DesktopEntry.cmake
# The entry starts the launcher; its working folder (Path) is the settings
# folder the launcher uses, written only for an install into the installing
# user's home, the only case where that user's folder is the clerk's. Elsewhere
# (a system-wide prefix, a DESTDIR staging) the launcher alone finds the folder.

# A desktop file's string value: its backslash escapes.
function(string_value value out)
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\t" "\\t" value "${value}")
  string(REPLACE "\n" "\\n" value "${value}")
  string(REPLACE "\r" "\\r" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# An Exec argument: "%" doubled, quoted where it holds a reserved character
# (with the quoting's own escapes), then escaped as a string value.
function(exec_argument value out)
  string(REPLACE "%" "%%" value "${value}")
  if(value MATCHES "[] \t\n\"'\\\\><~|&;$*?#()`[]")
    string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" value "${value}")
    set(value "\"${value}\"")
  endif()
  string_value("${value}" value)
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# Whether path lies inside folder.
function(is_inside path folder out)
  string(LENGTH "${folder}/" length)
  string(SUBSTRING "${path}/" 0 ${length} start)
  if(NOT folder STREQUAL "" AND start STREQUAL "${folder}/")
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

get_filename_component(PREFIX "${PREFIX}" ABSOLUTE)
exec_argument("${PREFIX}/bin/quillan2021" EXEC)
set(PATH_LINE "")
is_inside("${PREFIX}" "${HOME}" per_user)
if(DESTDIR STREQUAL "" AND per_user)
  if(XDG_CONFIG_HOME STREQUAL "")
    set(XDG_CONFIG_HOME "${HOME}/.config")
  endif()
  set(settings "${XDG_CONFIG_HOME}/quillan2021")
  file(MAKE_DIRECTORY "${settings}")
  string_value("${settings}" path)
  set(PATH_LINE "Path=${path}")
endif()
set(entry "${DESTDIR}${PREFIX}/share/applications/quillan2021.desktop")
file(READ "${TEMPLATE}" text)
string(CONFIGURE "${text}" text @ONLY)
set(old "")
if(EXISTS "${entry}")
  file(READ "${entry}" old)
endif()
if(old STREQUAL text)
  message(STATUS "Up-to-date: ${entry}")
else()
  message(STATUS "Installing: ${entry}")
  file(WRITE "${entry}" "${text}")
endif()
