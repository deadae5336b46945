# Every target of the project is built with these; a warning fails the build.
function(brivane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
