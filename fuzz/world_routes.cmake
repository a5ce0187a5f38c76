# The route-data readers: ".rmd" markers and ".qtd" quadtrees.  Valid seeds
# come from the engine's own builder and writers over generated mazes: the
# build runs each target once with HALBERD_WRITE_SEEDS=<folder>.
halberd_fuzzer(world_route_markers SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_route_markers.cpp
               ${PROJECT_SOURCE_DIR}/fuzz/world_route_seeds.cpp
               ${PROJECT_SOURCE_DIR}/tests/world/routes/route_world_fixture.cpp
               LIBS halberd_world halberd_scene halberd_shell SELF_SEEDS)
halberd_fuzzer(world_quad_tree SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_quad_tree.cpp
               ${PROJECT_SOURCE_DIR}/fuzz/world_route_seeds.cpp
               ${PROJECT_SOURCE_DIR}/tests/world/routes/route_world_fixture.cpp
               LIBS halberd_world halberd_scene halberd_shell SELF_SEEDS)
