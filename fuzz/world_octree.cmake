# The ".OCT" zone reader.  Valid seeds come from the engine's own octree
# builder and writer: the build runs the target once with HALBERD_WRITE_SEEDS=<folder>.
halberd_fuzzer(world_octree SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_octree.cpp LIBS halberd_world SELF_SEEDS)
