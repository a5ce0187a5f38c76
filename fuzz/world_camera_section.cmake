# The camera section of the level file.
# Seeds: the build runs the target once with HALBERD_WRITE_SEEDS=<folder>; the
# sections are written by the camera manager's own writer.
halberd_fuzzer(world_camera_section SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_camera_section.cpp LIBS halberd_world SELF_SEEDS)
