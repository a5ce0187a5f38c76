# A level frame of physics with 10 cars, 5 tanks and 100 crates on the demo
# level's terrain (with its vehicles' tuning files) and on the generated
# test level's: milliseconds a frame and the terrain collider's polygon
# gathering share.
halberd_benchmark(world_dynamics SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_dynamics.cpp
                  ${PROJECT_SOURCE_DIR}/tests/world/dynamics/dynamics_fixture.cpp
                  ${PROJECT_SOURCE_DIR}/tests/world/space_world_fixture.cpp
                  LIBS halberd_world halberd_scene halberd_shell)
target_compile_definitions(bench_world_dynamics PRIVATE HALBERD_DEMO_LEVEL_DIR="${CMAKE_BINARY_DIR}/data/levels/DEMO")
if(TARGET demo_level)
  add_dependencies(bench_world_dynamics demo_level)
endif()
