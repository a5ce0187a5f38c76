# The multiplayer level's stand-in mission plug-in: MP_Mission1.so beside the
# program, loaded by the name "MP_Mission1.dll".
include(${PROJECT_SOURCE_DIR}/cmake/halberd_plugin.cmake)
halberd_plugin(mp_mission1_plugin OUTPUT_NAME MP_Mission1 SOURCES ${CMAKE_CURRENT_LIST_DIR}/mp_mission1_plugin.c)
if(TARGET halberd)
  add_dependencies(halberd mp_mission1_plugin)
endif()
