# Each local player's per-frame aim line and camera constraint (up to four
# line checks and a ground probe) on the demo level for four players, against
# the world library's raw line query over the same segments, with the ratio
# and the microseconds a player.
halberd_benchmark(control_aim SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/control_aim.cpp
                  LIBS halberd_control halberd_world halberd_scene halberd_shell)
target_compile_definitions(bench_control_aim PRIVATE HALBERD_DEMO_LEVEL_DIR="${CMAKE_BINARY_DIR}/data/levels/DEMO")
if(TARGET demo_level)
  add_dependencies(bench_control_aim demo_level)
endif()
