# Constraint solver: time per solve against row count, SSE against x86, and
# against ODE's dWorldStep on the same constraint systems when ODE is there.
find_package(PkgConfig)
if(PkgConfig_FOUND)
  pkg_check_modules(ODE ode)
endif()
halberd_benchmark(physics_solver SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/physics_solver.cpp LIBS halberd_physics)
if(ODE_FOUND)
  target_include_directories(bench_physics_solver PRIVATE ${ODE_INCLUDE_DIRS})
  target_link_libraries(bench_physics_solver PRIVATE ${ODE_LINK_LIBRARIES})
  target_compile_definitions(bench_physics_solver PRIVATE HALBERD_BENCH_ODE=1)
endif()
