halberd_benchmark(render_bsp SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/render_bsp.cpp
                  ${PROJECT_SOURCE_DIR}/tests/render/bsp_fixture.cpp LIBS halberd_render)
