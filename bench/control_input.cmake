# One frame of input for four local players (a burst of 200 events through
# the window stand-in and the input object, the players' sampling, the end of
# the frame) against SDL's own queue carrying the same burst, with the ratio.
halberd_benchmark(control_input SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/control_input.cpp
                  LIBS halberd_control platform_win32)
target_compile_definitions(bench_control_input PRIVATE DEMO_KEY_FILE="${PROJECT_SOURCE_DIR}/tools/demo_data/default.key")
