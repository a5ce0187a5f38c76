# One target per binary or text reader of the renderer's asset files.  Seeds:
# the sprite tool's sprite files, and render_seeds for the others.
set(demo_data ${CMAKE_BINARY_DIR}/data)  # the tools' demo data folder
foreach(reader sprite_file texl matl surface_list surface_table)
  set(made "")
  if(reader STREQUAL "sprite_file")
    set(made SEEDS ${demo_data}/font.spr ${demo_data}/sprites.spr SEEDS_FROM demo_sprites)
  endif()
  halberd_fuzzer(render_${reader} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/render_${reader}.cpp
                 LIBS halberd_render halberd_world halberd_menus
                 DICT ${CMAKE_CURRENT_SOURCE_DIR}/render_${reader}.dict ${made})
endforeach()
halberd_fuzz_seed_writer(render_seeds
                         SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/seeds/render_seeds.cpp
                                 ${PROJECT_SOURCE_DIR}/tests/render/bsp_fixture.cpp
                         LIBS halberd_render halberd_world halberd_menus)
