# The level file's glass section ("<GLAZIER>") and render-effects files
# (".rfx").  Seeds: the glass target writes valid sections through the glass
# set's own writer (SELF_SEEDS); the render-effects target writes the demo
# level's DEMO.rfx (from the level description in the repository) and files
# of every block form.
halberd_fuzzer(world_glass_section SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_glass_section.cpp
               LIBS halberd_world halberd_scene DICT ${CMAKE_CURRENT_SOURCE_DIR}/world_glass_section.dict SELF_SEEDS)
halberd_fuzzer(world_render_effects SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_render_effects.cpp
               LIBS halberd_world halberd_scene DICT ${CMAKE_CURRENT_SOURCE_DIR}/world_render_effects.dict SELF_SEEDS)
target_compile_definitions(fuzz_world_render_effects PRIVATE
                           HALBERD_DEMO_RENDER_EFFECTS="${PROJECT_SOURCE_DIR}/tools/demo_data/level/render_effects.txt")
