# Narrow phase, curved shapes and triangle lists: box-triangle list (2, 20 and
# 200 triangles from the generator), sphere-triangle list and cylinder-cylinder
# timed per call, against ODE's trimesh and cylinder colliders on the same
# placements in the same run.
find_package(PkgConfig)
if(PkgConfig_FOUND)
  pkg_check_modules(ODE ode)
endif()
halberd_benchmark(physics_pairs2 SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/physics_pairs2.cpp LIBS halberd_physics)
if(ODE_FOUND)
  target_include_directories(bench_physics_pairs2 PRIVATE ${ODE_INCLUDE_DIRS})
  target_compile_options(bench_physics_pairs2 PRIVATE ${ODE_CFLAGS_OTHER})
  target_link_libraries(bench_physics_pairs2 PRIVATE ${ODE_LINK_LIBRARIES})
  target_compile_definitions(bench_physics_pairs2 PRIVATE HALBERD_BENCH_ODE=1)
endif()
