# Mission plug-ins: shared libraries that see only the plug-in interface
# header (mission_abi.h, generated into HALBERD_SCRIPT_GENERATED) and link
# against nothing of the program (-z defs: a plug-in that reaches into the
# program fails to link).  They are built without the sanitizers, whose
# runtime lives in the program and would be undefined here.
set(HALBERD_SCRIPT_GENERATED ${CMAKE_BINARY_DIR}/generated/script)
include_guard(GLOBAL)

# halberd_plugin(<target> OUTPUT_NAME <file stem> [OUTPUT_DIRECTORY <dir>] SOURCES <files>...)
# Builds <dir>/<file stem>.so (default dir: beside the program).
function(halberd_plugin target)
  cmake_parse_arguments(ARG "" "OUTPUT_NAME;OUTPUT_DIRECTORY" "SOURCES" ${ARGN})
  if(NOT ARG_OUTPUT_DIRECTORY)
    set(ARG_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  endif()
  add_library(${target} MODULE ${ARG_SOURCES})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${ARG_OUTPUT_NAME}
                        LIBRARY_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY}
                        C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden)
  target_include_directories(${target} PRIVATE ${HALBERD_SCRIPT_GENERATED})
  target_compile_options(${target} PRIVATE -fno-sanitize=all $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
  target_link_options(${target} PRIVATE -fno-sanitize=all -Wl,-z,defs)
  add_dependencies(${target} mission_abi_header)
endfunction()
