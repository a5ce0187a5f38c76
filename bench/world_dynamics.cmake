# A level frame of physics with 10 cars, 5 tanks and 100 crates on the
# generated level's terrain: milliseconds a frame and the terrain collider's
# polygon gathering share.
halberd_benchmark(world_dynamics SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_dynamics.cpp
                  ${PROJECT_SOURCE_DIR}/tests/world/dynamics/dynamics_fixture.cpp
                  ${PROJECT_SOURCE_DIR}/tests/world/space_world_fixture.cpp
                  LIBS halberd_world halberd_scene halberd_shell)
