# Warnings are errors on the project's own targets.
function(scheme_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
                                           -Wno-error=deprecated-declarations)
endfunction()
