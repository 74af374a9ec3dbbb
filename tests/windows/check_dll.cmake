# cmake -DOBJDUMP=... -DDLL=... [-DEXPORTS=a;b] -P check_dll.cmake
# What `objdump -p` shows of the plug-in: exactly its entry names exported
# (the VST 2.4 module's two unless told); only the system's DLLs imported, nothing of the compiler's
# runtime; and the Win32 calls the platform bindings are made of.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()

string(REGEX MATCH "Ordinal/Name Pointer[^\n]*\n([^\n]+\n)*" export_table "${dump}")
string(REGEX MATCHALL "\t[^\n]+" export_lines "${export_table}")
set(exports)
foreach(line ${export_lines})
  string(REGEX REPLACE ".* " "" name "${line}")  # "[   0] VSTPluginMain"
  list(APPEND exports ${name})
endforeach()
list(SORT exports)
if(NOT DEFINED EXPORTS)
  set(EXPORTS "VSTPluginMain;main")
endif()
if(NOT exports STREQUAL "${EXPORTS}")
  message(FATAL_ERROR "exports: ${exports} (expected ${EXPORTS} only)")
endif()

set(allowed kernel32.dll user32.dll gdi32.dll shell32.dll msvcrt.dll)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
list(TRANSFORM imports REPLACE "^DLL Name: " "")
foreach(dll ${imports})
  string(TOLOWER "${dll}" lower)
  if(NOT lower IN_LIST allowed AND NOT lower MATCHES "^api-ms-win-crt-")
    message(FATAL_ERROR "imports ${dll}, which is not a system DLL (imports: ${imports})")
  endif()
endforeach()

foreach(call
    GetModuleFileNameA CreateFileA GetFileSizeEx ReadFile CloseHandle
    FindResourceA SizeofResource LoadResource LockResource GetTickCount GetLocalTime
    CreateCompatibleDC CreateDIBSection SelectObject SetBkMode SetTextColor DrawTextA
    CreateFontIndirectA CreateRectRgn SelectClipRgn AddFontMemResourceEx RemoveFontMemResourceEx
    ShellExecuteA)
  if(NOT dump MATCHES "[ \t]${call}\n")
    message(FATAL_ERROR "${call} is not imported")
  endif()
endforeach()
list(LENGTH imports count)
message(STATUS "exports: ${exports}; imports ${count} system DLLs: ${imports}")
