# The region section of the environment file, as both of the region list's
# readers (the level text and an open region file) parse it.
halberd_fuzzer(world_regions SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_regions.cpp LIBS halberd_world SELF_SEEDS)
