# World queries on a generated world of about 100,000 triangles in 2,000
# instances: line-of-sight segments through the zones and the octree against
# Embree's rtcOccluded1 on the same triangles and against brute force, in one
# run with the ratios printed; MoveSphere calls and the octree build.
find_package(embree 3 QUIET)
halberd_benchmark(world_queries SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_queries.cpp
                  ${PROJECT_SOURCE_DIR}/tests/world/space_world_fixture.cpp
                  LIBS halberd_world halberd_scene halberd_shell)
if(embree_FOUND)
  target_link_libraries(bench_world_queries PRIVATE embree)
  target_compile_definitions(bench_world_queries PRIVATE HALBERD_BENCH_EMBREE=1)
endif()
