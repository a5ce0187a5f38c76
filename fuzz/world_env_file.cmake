# The environment-file loader over whole level files.  Valid seeds come from
# the engine's level-file writer: the build runs the target once with
# HALBERD_WRITE_SEEDS=<folder>.
halberd_fuzzer(world_env_file SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_env_file.cpp
               LIBS halberd_world halberd_scene halberd_foundation SELF_SEEDS)
