# Fails when the C++ block of README.md's "Using the library" section is not exactly
# examples/readme_example.cpp, so that the program the README shows is the one the build
# compiles and runs.
#
#   cmake -DREADME=README.md -DEXAMPLE=examples/readme_example.cpp -P check_readme_snippet.cmake
file(READ "${README}" Readme)
file(READ "${EXAMPLE}" Example)

string(FIND "${Readme}" "\n## Using the library\n" Section)
if(Section EQUAL -1)
  message(FATAL_ERROR "${README}: no section \"## Using the library\"")
endif()
string(SUBSTRING "${Readme}" ${Section} -1 Readme)
string(FIND "${Readme}" "\n```cpp\n" Start)
if(Start EQUAL -1)
  message(FATAL_ERROR "${README}: no ```cpp block in \"Using the library\"")
endif()
math(EXPR Start "${Start} + 8")
string(SUBSTRING "${Readme}" ${Start} -1 Readme)
string(FIND "${Readme}" "\n```\n" End)
if(End EQUAL -1)
  message(FATAL_ERROR "${README}: the ```cpp block in \"Using the library\" is not closed")
endif()
math(EXPR End "${End} + 1")
string(SUBSTRING "${Readme}" 0 ${End} Snippet)

if(NOT Snippet STREQUAL Example)
  if(DEFINED SNIPPET_OUT)
    file(WRITE "${SNIPPET_OUT}" "${Snippet}")
    execute_process(COMMAND diff -u "${EXAMPLE}" "${SNIPPET_OUT}")
  endif()
  message(FATAL_ERROR "The C++ block in ${README} (\"Using the library\") differs from "
                      "${EXAMPLE}; make them the same.")
endif()
