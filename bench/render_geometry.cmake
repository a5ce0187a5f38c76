# Tangent frames (the coincident-vertex search of the smoothing step), frustum
# culling and polygon clipping.
halberd_benchmark(render_geometry SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/render_geometry.cpp LIBS halberd_render)
