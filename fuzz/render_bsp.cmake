halberd_fuzzer(render_bsp SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/render_bsp.cpp LIBS halberd_render)
