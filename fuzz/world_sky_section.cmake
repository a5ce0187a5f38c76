# The sky section reader of the level file, at each version the format knows.
# Seeds: the build runs the target once with HALBERD_WRITE_SEEDS=<folder>; the
# sections are written by the sky's own section writer (and cut down to the
# older versions' layouts).
halberd_fuzzer(world_sky_section SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_sky_section.cpp LIBS halberd_world
               DICT ${CMAKE_CURRENT_SOURCE_DIR}/world_sky_section.dict SELF_SEEDS)
