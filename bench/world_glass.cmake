# The glass set's frame with its whole shard pool flying (400 shards): the
# shard step and the queueing, microseconds per frame; and a shatter.
halberd_benchmark(world_glass SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_glass.cpp LIBS halberd_world halberd_scene)
