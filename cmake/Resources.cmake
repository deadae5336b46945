# The resources the executable carries, as TYPE ID FILE (files in resources/): the
# skin pictures, read back byte for byte by the skin loader, and the icon. This list
# writes the resource script of the Windows builds and the table the headless builds
# (native and fuzz) embed, read back through the same platform call.
set(BRIVANE_RESOURCES
  JPG 101 about.jpg
  JPG 102 main.jpg
  JPG 104 splash.jpg
  ICON 1 brivane.ico)
get_filename_component(BRIVANE_RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/../resources ABSOLUTE)

# The list as three columns, walked with foreach(... IN ZIP_LISTS ...).
set(BRIVANE_RESOURCE_TYPES)
set(BRIVANE_RESOURCE_IDS)
set(BRIVANE_RESOURCE_FILES)
list(LENGTH BRIVANE_RESOURCES _n)
math(EXPR _last "${_n} - 1")
foreach(_i RANGE 0 ${_last} 3)
  math(EXPR _id_at "${_i} + 1")
  math(EXPR _file_at "${_i} + 2")
  list(GET BRIVANE_RESOURCES ${_i} _type)
  list(GET BRIVANE_RESOURCES ${_id_at} _id)
  list(GET BRIVANE_RESOURCES ${_file_at} _file)
  list(APPEND BRIVANE_RESOURCE_TYPES ${_type})
  list(APPEND BRIVANE_RESOURCE_IDS ${_id})
  list(APPEND BRIVANE_RESOURCE_FILES ${BRIVANE_RESOURCE_DIR}/${_file})
endforeach()

# Sets OUT_VAR to the list's files with their full paths.
function(brivane_resource_files out_var)
  set(${out_var} ${BRIVANE_RESOURCE_FILES} PARENT_SCOPE)
endfunction()

# Generates a source file defining brivane_embedded_resources[] from the list (the
# icon is left out: only Windows reads it) and sets OUT_VAR to its path.
function(brivane_embedded_resources out_var)
  set(out ${CMAKE_BINARY_DIR}/embedded_resources.cpp)
  set(files)
  set(args)
  foreach(type id file IN ZIP_LISTS BRIVANE_RESOURCE_TYPES BRIVANE_RESOURCE_IDS
                                    BRIVANE_RESOURCE_FILES)
    if(type STREQUAL "ICON")
      continue()
    endif()
    list(APPEND files ${file})
    list(APPEND args "${type}=${id}=${file}")
  endforeach()
  string(REPLACE ";" "@" joined "${args}")
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} "-DRESOURCES=${joined}"
            -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/EmbedFiles.cmake VERBATIM
    DEPENDS ${files} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/EmbedFiles.cmake
    COMMENT "Embedding the skin pictures")
  set(${out_var} ${out} PARENT_SCOPE)
endfunction()

# Writes the resource script (resources/brivane.rc.in, with the list and the version
# filled in) to OUT.
function(brivane_resource_script out)
  set(lines)
  foreach(type id file IN ZIP_LISTS BRIVANE_RESOURCE_TYPES BRIVANE_RESOURCE_IDS
                                    BRIVANE_RESOURCE_FILES)
    string(APPEND lines "${id} ${type} \"${file}\"\n")
  endforeach()
  set(BRIVANE_RC_RESOURCES "${lines}")
  # The version record: 1,0,0,3 and the text "1.00.0003".
  string(REPLACE "." ";" parts ${BRIVANE_VERSION})
  list(GET parts 0 major)
  list(GET parts 1 minor)
  list(GET parts 2 revision)
  set(BRIVANE_RC_VERSION "${major},${minor},0,${revision}")
  string(LENGTH "${minor}" len)
  math(EXPR pad "2 - ${len}")
  string(REPEAT "0" ${pad} minor_zeros)
  string(LENGTH "${revision}" len)
  math(EXPR pad "4 - ${len}")
  string(REPEAT "0" ${pad} revision_zeros)
  set(BRIVANE_RC_VERSION_TEXT "${major}.${minor_zeros}${minor}.${revision_zeros}${revision}")
  configure_file(${BRIVANE_RESOURCE_DIR}/brivane.rc.in ${out} @ONLY)
endfunction()
