# The skin pictures and the icon. Windows builds carry them through resources/brivane.rc;
# the native build embeds the same bytes, read back through the same platform call.
set(BRIVANE_JPG_RESOURCES
  101 ${CMAKE_SOURCE_DIR}/resources/about.jpg
  102 ${CMAKE_SOURCE_DIR}/resources/main.jpg
  104 ${CMAKE_SOURCE_DIR}/resources/splash.jpg)

# Generates a source file defining brivane_embedded_resources[] from the list above.
function(brivane_embedded_resources out_var)
  set(out ${CMAKE_BINARY_DIR}/embedded_resources.cpp)
  set(files)
  set(args)
  list(LENGTH BRIVANE_JPG_RESOURCES n)
  math(EXPR last "${n} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET BRIVANE_JPG_RESOURCES ${i} id)
    list(GET BRIVANE_JPG_RESOURCES ${j} file)
    list(APPEND files ${file})
    list(APPEND args "${id}=${file}")
  endforeach()
  string(REPLACE ";" "@" joined "${args}")
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} "-DRESOURCES=${joined}"
            -P ${CMAKE_SOURCE_DIR}/cmake/EmbedFiles.cmake VERBATIM
    DEPENDS ${files} ${CMAKE_SOURCE_DIR}/cmake/EmbedFiles.cmake
    COMMENT "Embedding the skin pictures")
  set(${out_var} ${out} PARENT_SCOPE)
endfunction()
