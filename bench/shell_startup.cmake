# The game's start-up and shut-down, headless: milliseconds from the window
# to the first frame presented (game initialise and the first level change
# included), and of the shut-down through WM_DESTROY.
halberd_benchmark(shell_startup SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/shell_startup.cpp
                  LIBS halberd_shell platform_d3d8 platform_win32)
target_compile_definitions(bench_shell_startup PRIVATE HALBERD_GAME_DATA_DIR="${CMAKE_BINARY_DIR}/data/game")
