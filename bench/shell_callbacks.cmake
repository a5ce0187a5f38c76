# The timed callback list a mission script chains its cut-scenes through: the
# per-frame run of the 200-slot list with 194 entries armed (waiting, and
# firing every frame), and a post into a nearly full list, against a plain
# sweep over the same 200 records; goal: under 20 microseconds a frame.
halberd_benchmark(shell_callbacks SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/shell_callbacks.cpp
                  LIBS halberd_world halberd_foundation)
