# The router on a generated maze level of about 2,000 route markers against
# Boost Graph's astar_search on the same graph and weights, in one run with
# the ratio and both path lengths printed; the route quadtree's build.
find_package(Boost QUIET)
halberd_benchmark(world_router SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_router.cpp
                  ${PROJECT_SOURCE_DIR}/tests/world/routes/route_world_fixture.cpp
                  LIBS halberd_world halberd_scene halberd_shell)
if(Boost_FOUND AND EXISTS ${Boost_INCLUDE_DIRS}/boost/graph/astar_search.hpp)
  target_include_directories(bench_world_router PRIVATE ${Boost_INCLUDE_DIRS})
  target_compile_definitions(bench_world_router PRIVATE HALBERD_BENCH_BOOST_GRAPH=1)
endif()
