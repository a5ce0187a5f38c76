# The stripifier on a 100 x 100 grid, a 20k-triangle sphere and a shuffled
# 50k-triangle grid: build time, and the cache miss ratio of the strips for
# 16- and 24-entry FIFO caches, beside meshoptimizer's stripifier on the same
# meshes (when libmeshoptimizer-dev is installed), with the ratios printed.
find_path(MESHOPT_INCLUDE_DIR meshoptimizer.h)
find_library(MESHOPT_LIBRARY meshoptimizer)
halberd_benchmark(scene_stripifier SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/scene_stripifier.cpp LIBS halberd_scene)
if(MESHOPT_INCLUDE_DIR AND MESHOPT_LIBRARY)
  target_include_directories(bench_scene_stripifier PRIVATE ${MESHOPT_INCLUDE_DIR})
  target_link_libraries(bench_scene_stripifier PRIVATE ${MESHOPT_LIBRARY})
  target_compile_definitions(bench_scene_stripifier PRIVATE HALBERD_BENCH_MESHOPT=1)
endif()
