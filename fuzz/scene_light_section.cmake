# The light section reader of the level file.  Seeds: the build runs the target once with
# HALBERD_WRITE_SEEDS=<folder> to have it write valid sections (the records' own writer).
halberd_fuzzer(scene_light_section SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/scene_light_section.cpp
               LIBS halberd_scene halberd_world halberd_render halberd_menus SELF_SEEDS)
