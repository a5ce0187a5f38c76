# CPU skinning: CSkin::Deform over a 20,000-vertex skin of 1 to 4 influences
# on 40 bones, against a plain reference loop over the same influences (the
# matrix library's point and vector transforms, one influence at a time),
# in vertices per second, with the ratio printed.
halberd_benchmark(scene_skin SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/scene_skin.cpp LIBS halberd_scene halberd_world
                  halberd_render halberd_menus)
