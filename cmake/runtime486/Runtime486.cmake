# The i486 runtime (runtime/build.sh) for the i686 build: made once per toolchain and
# kept outside the build folder, in a cache folder named by a hash of the build
# script and the installed toolchain packages' versions, so a new toolchain or a
# changed script makes a new one. The linker takes its files before Debian's.
set(BRIVANE_RUNTIME_PACKAGES gcc-mingw-w64-i686-win32 g++-mingw-w64-i686-win32
    mingw-w64-i686-dev mingw-w64-common binutils-mingw-w64-i686)

execute_process(COMMAND dpkg-query -W "-f=\${Package} \${Version}\n" ${BRIVANE_RUNTIME_PACKAGES}
  OUTPUT_VARIABLE packages RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "The MinGW-w64 toolchain is not installed (bash scripts/deps.sh)")
endif()
file(READ ${CMAKE_CURRENT_LIST_DIR}/build.sh script)
string(SHA256 key "${script}${packages}")
string(SUBSTRING ${key} 0 16 key)

if(DEFINED ENV{BRIVANE_CACHE})
  set(cache $ENV{BRIVANE_CACHE})
elseif(DEFINED ENV{XDG_CACHE_HOME})
  set(cache $ENV{XDG_CACHE_HOME}/brivane)
else()
  set(cache $ENV{HOME}/.cache/brivane)
endif()
set(BRIVANE_RUNTIME_DIR ${cache}/runtime486-${key})

if(NOT EXISTS ${BRIVANE_RUNTIME_DIR})
  message(STATUS "Building the i486 runtime into ${BRIVANE_RUNTIME_DIR} "
                 "(5 to 15 minutes on two cores, once per toolchain)")
  # Its stages take minutes each: a line a minute says it is still at work.
  execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/heartbeat.sh runtime
                          bash ${CMAKE_CURRENT_LIST_DIR}/build.sh ${BRIVANE_RUNTIME_DIR}
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "The i486 runtime could not be built")
  endif()
endif()
file(STRINGS ${BRIVANE_RUNTIME_DIR}/COMPARISON verdict REGEX "^runtime: ")
message(STATUS "i486 runtime: ${BRIVANE_RUNTIME_DIR} (${verdict})")

# -B for crt2.o, crtbegin.o and crtend.o, -L for the libraries: both are searched
# before the compiler's own folders.
add_link_options(-B${BRIVANE_RUNTIME_DIR}/ -L${BRIVANE_RUNTIME_DIR})

# Every executable is linked with a map and checked for instructions an i486 lacks;
# check486.sh fails the link and deletes the executable if it finds one.
foreach(lang C CXX)
  set(CMAKE_${lang}_LINK_EXECUTABLE
    "${CMAKE_${lang}_LINK_EXECUTABLE} -Wl,-Map,<TARGET>.map"
    "bash ${CMAKE_CURRENT_LIST_DIR}/check486.sh <TARGET> <TARGET>.map")
endforeach()
