# Checks one built plug-in as the game would see the file:
#   cmake -DSCR=path/Name.scr -DBITS=32|64 -DSANITIZED=ON|OFF -P check_plugin.cmake
# - it exports ScriptEntry and no other symbol;
# - on the 32-bit build it is an ELF32 file for Intel 80386;
# - it needs no shared library beyond the C and C++ runtimes (sanitizer
#   builds also need the sanitizers' runtimes).

execute_process(COMMAND nm -D --defined-only ${SCR} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${SCR}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(names "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^.* " "" name "${line}")
  list(APPEND names ${name})
endforeach()
if(NOT names STREQUAL "ScriptEntry")
  message(FATAL_ERROR "${SCR} exports: ${names} (expected ScriptEntry alone)")
endif()

execute_process(COMMAND readelf -h -d ${SCR} OUTPUT_VARIABLE elf RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "readelf failed on ${SCR}")
endif()
if(BITS EQUAL 32)
  if(NOT elf MATCHES "Class: +ELF32" OR NOT elf MATCHES "Machine: +Intel 80386")
    message(FATAL_ERROR "${SCR} is not an ELF32 file for Intel 80386")
  endif()
endif()

set(allowed libstdc\\+\\+\\.so\\.6 libm\\.so\\.6 libgcc_s\\.so\\.1 libc\\.so\\.6)
if(SANITIZED)
  list(APPEND allowed "libasan\\.so\\.[0-9]+" "libubsan\\.so\\.[0-9]+")
endif()
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*\\[[^]]+\\]" needed "${elf}")
foreach(entry IN LISTS needed)
  string(REGEX REPLACE ".*\\[(.+)\\]" "\\1" lib "${entry}")
  set(ok FALSE)
  foreach(pattern IN LISTS allowed)
    if(lib MATCHES "^${pattern}$")
      set(ok TRUE)
    endif()
  endforeach()
  if(NOT ok)
    message(FATAL_ERROR "${SCR} needs ${lib}")
  endif()
endforeach()
message(STATUS "${SCR}: exports ScriptEntry alone")
