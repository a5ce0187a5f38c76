# Render states sent through the render object's cache against straight to the
# device, and the cost of switching blend modes, over the Direct3D stand-in.
halberd_benchmark(render_state_cache SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/render_state_cache.cpp LIBS halberd_render)
