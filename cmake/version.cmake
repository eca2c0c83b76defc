# Gives a deliverable its version resource: the maker, the project's version, a
# description, the file name it ships under and that name without its extension.
# FILE_TYPE is 1 for a program, 2 for a library. With INCLUDED the script is only
# written (TARGET_version.rc in the build folder), for the target's own resource
# script to include: the linker writes two resource objects merged into a section
# whose raw size is no multiple of the file alignment.
function(removr_version_resource target file_type description file_name)
  cmake_parse_arguments(ARG "INCLUDED" "" "" ${ARGN})
  set(VERSION_FILE_TYPE ${file_type})
  set(VERSION_DESCRIPTION ${description})
  set(VERSION_FILE_NAME ${file_name})
  get_filename_component(VERSION_INTERNAL_NAME ${file_name} NAME_WE)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  if(NOT ARG_INCLUDED)
    target_sources(${target} PRIVATE ${rc})
  endif()
endfunction()
