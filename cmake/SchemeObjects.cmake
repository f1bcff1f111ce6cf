# scheme_add_objects(NAME SOURCES...): the compiled code of one of the project's libraries, from
# which its shared library and its static copy are both made: position independent, exporting
# only what is marked for export, warnings as the project sets them.
function(scheme_add_objects name)
  add_library(${name} OBJECT ${ARGN})
  set_target_properties(${name} PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)
  scheme_set_warnings(${name})
endfunction()
