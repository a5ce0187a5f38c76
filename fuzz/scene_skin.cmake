# The "SKIN" and "VAOB" chunk readers of skinned and vertex-animated meshes.
# Valid seeds come from the engine's own builders and writers: the build runs
# each target once with HALBERD_WRITE_SEEDS=<folder>.
halberd_fuzzer(scene_skin_chunk SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/scene_skin_chunk.cpp
               ${PROJECT_SOURCE_DIR}/tests/scene/skin/skin_fixture.cpp
               LIBS halberd_scene halberd_world halberd_render halberd_menus DICT ${CMAKE_CURRENT_SOURCE_DIR}/scene_skin_chunk.dict
               SELF_SEEDS)
halberd_fuzzer(scene_vertex_anim_chunk SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/scene_vertex_anim_chunk.cpp
               ${PROJECT_SOURCE_DIR}/tests/scene/vertex_anim/vertex_anim_fixture.cpp
               LIBS halberd_scene halberd_world halberd_render halberd_menus DICT ${CMAKE_CURRENT_SOURCE_DIR}/scene_vertex_anim_chunk.dict
               SELF_SEEDS)
