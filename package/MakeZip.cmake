# Stages brivane.exe, Help.chm and README.txt and zips them, flat, into ZIP.
# README.txt is kept with LF in the tree and written with CRLF, which Notepad on
# Windows 9x needs; it must be plain ASCII.
foreach(var STAGE ZIP EXE CHM README)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "MakeZip.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
file(COPY ${EXE} ${CHM} DESTINATION ${STAGE})
get_filename_component(exe_name ${EXE} NAME)
get_filename_component(chm_name ${CHM} NAME)

file(READ ${README} text)
if(text MATCHES "[^\t\n\r -~]")
  message(FATAL_ERROR "${README} holds characters other than plain ASCII")
endif()
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${STAGE}/README.txt "${text}")

file(REMOVE ${ZIP})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${exe_name} ${chm_name} README.txt
  WORKING_DIRECTORY ${STAGE}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT EXISTS ${ZIP})
  message(FATAL_ERROR "could not write ${ZIP}")
endif()
