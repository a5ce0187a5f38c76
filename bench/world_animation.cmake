# Pose evaluation of 100 animated figures of 20 joints with both channels
# blending (microseconds per frame), and reading animation sets from their
# ".prb" caches against parsing their ".prs" text, with the ratio printed.
halberd_benchmark(world_animation SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_animation.cpp LIBS halberd_world)
