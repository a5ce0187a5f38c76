# The ".OCT" zone reader.  Valid seeds come from the engine's own octree
# builder and writer: run the target once with HALBERD_FUZZ_SEEDS=<folder>.
halberd_fuzzer(world_octree SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_octree.cpp LIBS halberd_world)
