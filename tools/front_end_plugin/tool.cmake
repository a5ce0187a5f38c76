# The front end's stand-in mission plug-in: FrontEnd.so beside the program,
# loaded by the name "FrontEnd.dll".
include(${PROJECT_SOURCE_DIR}/cmake/halberd_plugin.cmake)
halberd_plugin(front_end_plugin OUTPUT_NAME FrontEnd SOURCES ${CMAKE_CURRENT_LIST_DIR}/front_end_plugin.c)
if(TARGET halberd)
  add_dependencies(halberd front_end_plugin)
endif()
