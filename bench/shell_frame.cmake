# The in-game frame's own cost (the shell's steps) over a level, against the
# same frame's subsystem work alone, and a level change against reading the
# level's catalog bytes.
halberd_benchmark(shell_frame SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/shell_frame.cpp
                  LIBS halberd_shell platform_d3d8 platform_win32)
target_compile_definitions(bench_shell_frame PRIVATE HALBERD_GAME_DATA_DIR="${CMAKE_BINARY_DIR}/data/game")
