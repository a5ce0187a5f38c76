# Stencil shadows: face connectivity of closed meshes of 1,800 to 16,000
# triangles (load time), and one silhouette volume of such a mesh (per shadow
# per frame).
halberd_benchmark(scene_shadows SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/scene_shadows.cpp LIBS halberd_scene halberd_world
                  halberd_render halberd_menus)
