# A full particle pool updated and queued each frame, and 20 blasts at once
# among 500 world objects and their breakable visuals: microseconds per frame.
halberd_benchmark(world_effects SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_effects.cpp
                  ${PROJECT_SOURCE_DIR}/tests/world/objects/hlo_test_world_fixture.cpp LIBS halberd_world)
