# Narrow phase: box-box and box-plane pair tests timed per call, against
# ODE's dCollide on the same placements when ODE is installed.
find_package(PkgConfig)
if(PkgConfig_FOUND)
  pkg_check_modules(ODE ode)
endif()
halberd_benchmark(physics_pairs SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/physics_pairs.cpp LIBS halberd_physics)
if(ODE_FOUND)
  target_include_directories(bench_physics_pairs PRIVATE ${ODE_INCLUDE_DIRS})
  target_link_libraries(bench_physics_pairs PRIVATE ${ODE_LINK_LIBRARIES})
  target_compile_definitions(bench_physics_pairs PRIVATE HALBERD_BENCH_ODE=1)
endif()
