# Checks a built ZEL.dll with objdump: the file format, one export, MODLL by
# its plain name at ordinal 5, and imports from system DLLs only (no MinGW
# runtime DLL may be needed beside it).
#   cmake -DDLL=ZEL.dll -DOBJDUMP=...-objdump -DFORMAT=pei-i386 -P CheckWindowsModule.cmake
cmake_minimum_required(VERSION 3.20)
foreach(var DLL OBJDUMP FORMAT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "CheckWindowsModule.cmake needs -D${var}=...")
  endif()
endforeach()
# The DLLs every Windows has.
set(system_dlls KERNEL32.DLL MSVCRT.DLL)

execute_process(COMMAND ${OBJDUMP} -p ${DLL} RESULT_VARIABLE code OUTPUT_VARIABLE dump ERROR_VARIABLE err)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed: ${err}")
endif()
set(problems "")

if(NOT dump MATCHES "file format ${FORMAT}\n")
  string(REGEX MATCH "file format [^\n]*" found "${dump}")
  list(APPEND problems "not ${FORMAT}: ${found}")
endif()

# Export Address Table -- Ordinal Base 5
#         [   0] +base[   5] 14280 Export RVA
string(REGEX MATCH "Export Address Table -- Ordinal Base [0-9]+\n(\t[^\n]*\n)*" address_table "${dump}")
string(REGEX MATCHALL "\\+base\\[ *[0-9]+\\]" ordinals "${address_table}")
list(LENGTH ordinals exports)
if(NOT exports EQUAL 1)
  list(APPEND problems "${exports} exports instead of 1: ${ordinals}")
elseif(NOT ordinals MATCHES "\\+base\\[ *5\\]")
  list(APPEND problems "the export is not at ordinal 5: ${ordinals}")
endif()

# [Ordinal/Name Pointer] Table
#         [   0] MODLL
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(\t[^\n]*\n)*" name_table "${dump}")
string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [^\n]+" entries "${name_table}")
set(names "")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^\t\\[ *[0-9]+\\] " "" name "${entry}")
  list(APPEND names "${name}")
endforeach()
if(NOT names STREQUAL "MODLL")
  list(APPEND problems "exported names are not exactly MODLL: ${names}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
set(imported "")
foreach(line IN LISTS imports)
  string(REPLACE "DLL Name: " "" name "${line}")
  string(STRIP "${name}" name)
  list(APPEND imported ${name})
  string(TOUPPER "${name}" upper)
  if(NOT upper IN_LIST system_dlls)
    list(APPEND problems "imports ${name}, which is not a system DLL")
  endif()
endforeach()
if(NOT imported)
  list(APPEND problems "imports no DLL at all: not a linked module")
endif()

message("${DLL}: ${FORMAT}, exports ${names} at ${ordinals}, imports ${imported}")
if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "ZEL.dll is wrong:\n  ${text}")
endif()
