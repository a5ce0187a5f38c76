# Broad phase: the same workload of moving and teleporting boxes through our
# axis-sort space and through Bullet's btAxisSweep3 and ODE's sweep-and-prune
# space, in one run, with the ratios printed at the end.
find_package(PkgConfig)
if(PkgConfig_FOUND)
  pkg_check_modules(BULLET bullet)
  pkg_check_modules(ODE ode)
endif()
halberd_benchmark(physics_broadphase SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/physics_broadphase.cpp
                  LIBS halberd_physics)
if(BULLET_FOUND)
  target_include_directories(bench_physics_broadphase PRIVATE ${BULLET_INCLUDE_DIRS})
  target_link_libraries(bench_physics_broadphase PRIVATE ${BULLET_LINK_LIBRARIES})
  target_compile_definitions(bench_physics_broadphase PRIVATE HALBERD_BENCH_BULLET=1)
endif()
if(ODE_FOUND)
  target_include_directories(bench_physics_broadphase PRIVATE ${ODE_INCLUDE_DIRS})
  target_link_libraries(bench_physics_broadphase PRIVATE ${ODE_LINK_LIBRARIES})
  target_compile_definitions(bench_physics_broadphase PRIVATE HALBERD_BENCH_ODE=1)
endif()
