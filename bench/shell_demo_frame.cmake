# The program's frame over the demo level on this machine's software
# renderer at 800 x 600: milliseconds a frame (world step, draw pass, present
# and read-back), draw calls and state changes a frame from the device's call
# log, and the device's share of the frame; goal: a frame under 16.7 ms.
halberd_benchmark(shell_demo_frame SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/shell_demo_frame.cpp
                  LIBS halberd_shell platform_d3d8 platform_win32)
