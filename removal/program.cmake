# REMOVR.EXE: a Windows 95/98 GUI program that needs nothing at run time beyond
# Windows' own libraries: no C run-time DLL (Windows 95 as first shipped has no
# MSVCRT.DLL) and no toolchain start-up code. Its entry point is its own
# (entry.cpp), its heap, streams and formatting are the program's runtime module,
# and of the toolchain only libgcc's static helpers are linked. Built without
# timestamps, so two builds give the same bytes. No relocations: Windows 95/98 never
# move a program from its base, nor does the NT family one without the dynamic-base
# flag, and the 1 KiB they took keeps the program, resources included, within 31 KiB.
enable_language(RC)

# The modules of both libraries are compiled again for the program alone, to be
# optimised across modules at the link (the code is made then, with the same flags):
# 1.9 KiB of code. The test programs link the libraries as they are.
get_target_property(removr_portable_sources removr_portable SOURCES)
get_target_property(removr_win32_sources removr_win32 SOURCES)
add_executable(removr WIN32
  entry.cpp
  startup.cpp
  paint.cpp
  dialogs.cpp
  ${removr_portable_sources}
  ${removr_win32_sources}
  resources/removr.rc)
target_compile_definitions(removr PRIVATE ${REMOVR_WIN32_DEFS})
set_target_properties(removr PROPERTIES OUTPUT_NAME REMOVR SUFFIX .EXE)
# One resource script, one resource object: removr.rc takes the version resource
# and the manifest, both made with the project's version, from the build folder.
removr_version_resource(removr 1 "Varsen Software Uninstall" REMOVR.EXE INCLUDED)
configure_file(resources/removr.manifest.in removr.manifest @ONLY)
set_source_files_properties(resources/removr.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_CURRENT_BINARY_DIR}/removr.manifest;${CMAKE_CURRENT_BINARY_DIR}/removr_version.rc")
target_include_directories(removr PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}
                           ${CMAKE_CURRENT_SOURCE_DIR}/resources ${CMAKE_CURRENT_BINARY_DIR})
target_compile_options(removr PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${REMOVR_WIN32_CXX_FLAGS} -flto>)
# The memory routines there must stay loops, never calls to themselves: compiled
# apart from the link's optimisation, which would not keep these options.
set_source_files_properties(entry.cpp PROPERTIES COMPILE_OPTIONS "-ffreestanding;-fno-builtin;-fno-lto")
# Only the system libraries named here, in this order, then libgcc. Debian builds
# libgcc for the Pentium Pro; nothing of it is needed today, and check-pe refuses
# whatever later helper (the 64-bit division is clean, bswap and ffs are not) brings
# an instruction the 80386 lacks.
set(CMAKE_CXX_STANDARD_LIBRARIES "")
target_link_libraries(removr PRIVATE user32 gdi32 comctl32 advapi32 kernel32 gcc)
target_link_options(removr PRIVATE
  ${REMOVR_WIN32_CXX_FLAGS} -flto
  -nostdlib
  -Wl,-e,_WinMainCRTStartup
  -Wl,--subsystem,windows:4.0
  -Wl,--major-os-version,4 -Wl,--minor-os-version,0
  -Wl,--no-insert-timestamp
  -Wl,--disable-dynamicbase -Wl,--disable-reloc-section
  -Wl,-T,${PROJECT_SOURCE_DIR}/cmake/constructor_tables.ld
  -s)
set_property(TARGET removr APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/constructor_tables.ld)
