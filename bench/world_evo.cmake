# Loading generated object files into templates against reading their bytes.
halberd_benchmark(world_evo SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_evo.cpp
                  LIBS halberd_world halberd_scene halberd_render halberd_menus)
