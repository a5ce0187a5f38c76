# The shrubbery section reader of the level file.  Seeds: the build runs the target once with
# HALBERD_WRITE_SEEDS=<folder> to have it write valid sections (the section's own writer).
halberd_fuzzer(world_shrubbery_section SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_shrubbery_section.cpp
               LIBS halberd_world SELF_SEEDS DICT ${CMAKE_CURRENT_SOURCE_DIR}/world_shrubbery_section.dict)
