# Writes the desktop entry at install time, so that Exec= names the TBX4_DESKTOP_PATH
# where it is actually installed: `cmake --install --prefix` may choose another
# prefix than the one the build was configured with.
#
# In: TBX4_DESKTOP_TEMPLATE, TBX4_DESKTOP_OUTPUT, TBX4_DESKTOP_EXECUTABLE (the
# installed path, without DESTDIR: that is where the menu will find it).

# A relative --prefix is taken from where cmake --install runs, which is what an
# install script's current source directory is.
set(TBX4_DESKTOP_PATH "${TBX4_DESKTOP_EXECUTABLE}")
cmake_path(ABSOLUTE_PATH TBX4_DESKTOP_PATH NORMALIZE)

# Every string value escapes a backslash as "\\".
string(REPLACE "\\" "\\\\" TBX4_DESKTOP_TRYEXEC "${TBX4_DESKTOP_PATH}")

# Exec= is a command line: the path is quoted, for it may hold spaces, and
# inside the quotes \ " ` $ are escaped. That line is then a string value like
# any other, and a literal % is written %%.
set(TBX4_DESKTOP_ARGUMENT "${TBX4_DESKTOP_PATH}")
foreach(special "\\" "\"" "`" "$")
  string(REPLACE "${special}" "\\${special}" TBX4_DESKTOP_ARGUMENT "${TBX4_DESKTOP_ARGUMENT}")
endforeach()
string(REPLACE "\\" "\\\\" TBX4_DESKTOP_EXEC "\"${TBX4_DESKTOP_ARGUMENT}\"")
string(REPLACE "%" "%%" TBX4_DESKTOP_EXEC "${TBX4_DESKTOP_EXEC}")

configure_file("${TBX4_DESKTOP_TEMPLATE}" "${TBX4_DESKTOP_OUTPUT}" @ONLY)
