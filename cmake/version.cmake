# Gives a deliverable its version resource: the maker, the project's version, a
# description, the file name it ships under and that name without its extension.
# FILE_TYPE is 1 for a program, 2 for a library.
function(removr_version_resource target file_type description file_name)
  set(VERSION_FILE_TYPE ${file_type})
  set(VERSION_DESCRIPTION ${description})
  set(VERSION_FILE_NAME ${file_name})
  get_filename_component(VERSION_INTERNAL_NAME ${file_name} NAME_WE)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
