# The section readers of the environment file: the game-object list and the
# waypoint section.  Seeds come from the tests' record writer.
foreach(reader hlo waypoints)
  halberd_fuzzer(world_${reader}
                 SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_environment.cpp
                         ${PROJECT_SOURCE_DIR}/tests/world/environment/hlo_record_fixture.cpp
                 LIBS halberd_world halberd_foundation SELF_SEEDS)
endforeach()
target_compile_definitions(fuzz_world_hlo PRIVATE HALBERD_FUZZ_HLO=1)
