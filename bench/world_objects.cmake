# The object manager's update pass over 1,000 objects, and id lookups with
# and without the id table.
halberd_benchmark(world_objects SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_objects.cpp LIBS halberd_world halberd_sound)
