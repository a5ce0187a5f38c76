# Loading a generated 5,000-instance level through the environment loader
# against reading the same file's bytes, with the ratio and the load's peak
# memory printed.
halberd_benchmark(world_env_file SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_env_file.cpp
                  LIBS halberd_world halberd_scene halberd_render halberd_menus halberd_sound)
