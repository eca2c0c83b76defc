# REMOVR.EXE: a Windows 95/98 GUI program that needs nothing at run time beyond
# Windows' own libraries. Built without timestamps, so two builds give the same bytes.
enable_language(RC)

add_executable(removr WIN32
  startup.cpp
  paint.cpp
  dialogs.cpp
  resources/removr.rc)
set_target_properties(removr PROPERTIES OUTPUT_NAME REMOVR SUFFIX .EXE)
target_include_directories(removr PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}
                           ${CMAKE_CURRENT_SOURCE_DIR}/resources)
target_compile_options(removr PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti -Os>)
target_link_libraries(removr PRIVATE removr_win32 user32 gdi32 comctl32 advapi32 kernel32)
target_link_options(removr PRIVATE
  -Wl,--subsystem,windows:4.0
  -Wl,--major-os-version,4 -Wl,--minor-os-version,0
  -Wl,--no-insert-timestamp
  -s)
