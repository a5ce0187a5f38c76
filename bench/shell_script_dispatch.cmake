# Script-table dispatch: built slots called by a plug-in through the table
# against direct calls of the same functions inside the program.
include(${PROJECT_SOURCE_DIR}/cmake/halberd_plugin.cmake)
halberd_plugin(bench_mission_plugin OUTPUT_NAME BenchMission OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
               SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/plugin/bench_mission_plugin.c)
halberd_benchmark(shell_script_dispatch SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/shell_script_dispatch.cpp
                  LIBS halberd_shell)
add_dependencies(bench_shell_script_dispatch bench_mission_plugin)
