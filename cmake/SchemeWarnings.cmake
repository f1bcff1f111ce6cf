# Warnings are on for the project's own targets; SCHEME_WERROR makes them errors (the test
# script turns it on, so that no warning lands; a user's build with another compiler is not
# stopped by a warning that compiler adds).
option(SCHEME_WERROR "Treat compiler warnings on the project's own targets as errors" OFF)

function(scheme_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(SCHEME_WERROR)
    target_compile_options(${target} PRIVATE -Werror -Wno-error=deprecated-declarations)
  endif()
endfunction()
