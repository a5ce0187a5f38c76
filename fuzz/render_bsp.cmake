# The "BSPT" section reader (seeds: render_seeds).
halberd_fuzzer(render_bsp SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/render_bsp.cpp LIBS halberd_render
               DICT ${CMAKE_CURRENT_SOURCE_DIR}/render_bsp.dict)
