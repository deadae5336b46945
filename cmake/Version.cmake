# The program's version: major, minor, revision. project() takes it, and from there
# it reaches the program's facts, the version record of the resource script and the
# package README.
set(BRIVANE_VERSION 1.0.3)

# The version numbers as the program's compile definitions.
function(brivane_version_definitions target)
  string(REPLACE "." ";" parts ${BRIVANE_VERSION})
  list(GET parts 0 major)
  list(GET parts 1 minor)
  list(GET parts 2 revision)
  target_compile_definitions(${target} PUBLIC BRIVANE_VERSION_MAJOR=${major}
                                              BRIVANE_VERSION_MINOR=${minor}
                                              BRIVANE_VERSION_REVISION=${revision})
endfunction()
