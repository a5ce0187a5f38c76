# The saved-game block of timed callbacks.  Seeds: the build runs the target once with HALBERD_WRITE_SEEDS=<folder> to have it write blocks saved by the list itself.
halberd_fuzzer(world_timed_callbacks SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_timed_callbacks.cpp LIBS halberd_world SELF_SEEDS)
