# One target per binary or text reader of the renderer's asset files.
foreach(reader sprite_file texl matl surface_list surface_table)
  halberd_fuzzer(render_${reader} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/render_${reader}.cpp
                 LIBS halberd_render halberd_world halberd_menus)
endforeach()
