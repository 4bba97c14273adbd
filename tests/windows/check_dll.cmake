# Compares the export table of a DLL with the functions that the public headers declare with
# G722KIT_API, and its imports with the libraries every Windows system provides.
# Arguments: OBJDUMP, DLL, HEADER_DIR (the folder of the public headers).
cmake_minimum_required(VERSION 3.25)

# Libraries of the system itself; the C and C++ runtimes of the compiler are linked in.
set(system_dlls ADVAPI32.dll KERNEL32.dll msvcrt.dll WINMM.dll)

file(GLOB headers ${HEADER_DIR}/*.h)
set(declared)
foreach(header IN LISTS headers)
  file(READ ${header} text)
  string(REGEX MATCHALL "\nG722KIT_API [^;(]*[ *][A-Za-z_][A-Za-z0-9_]*\\(" declarations "${text}")
  foreach(declaration IN LISTS declarations)
    string(REGEX REPLACE ".*[ *]([A-Za-z_][A-Za-z0-9_]*)\\($" "\\1" name "${declaration}")
    list(APPEND declared ${name})
  endforeach()
endforeach()
list(SORT declared)
if(NOT declared)
  message(FATAL_ERROR "no G722KIT_API declaration found in ${HEADER_DIR}")
endif()

execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()

# Export names are listed after "[Ordinal/Name Pointer] Table", one "[ n] Name" per line.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)+" table "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" entries "${table}")
list(TRANSFORM entries REPLACE "^\\[ *[0-9]+\\] " "")
list(SORT entries)
if(NOT entries STREQUAL declared)
  message(FATAL_ERROR "exports differ from the public API\n"
                      "  exported: ${entries}\n  declared: ${declared}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
list(TRANSFORM imports REPLACE "^DLL Name: " "")
foreach(import IN LISTS imports)
  if(NOT import IN_LIST system_dlls)
    message(FATAL_ERROR "${DLL} needs ${import}, which is not part of Windows")
  endif()
endforeach()
message(STATUS "exports: ${entries}; imports: ${imports}")
