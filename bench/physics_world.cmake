# Whole-world steps: a pyramid of 55 boxes, 500 spheres poured into a box and
# a four-wheeled car on a ramp, through the library and, in the same run,
# through ODE (dWorldStep and dWorldQuickStep) and Bullet (sequential
# impulse) at the same step, friction and restitution, with the ratios and a
# quality figure per engine.
find_package(PkgConfig)
if(PkgConfig_FOUND)
  pkg_check_modules(ODE ode)
  pkg_check_modules(BULLET bullet)
endif()
set(physics_world_dir ${CMAKE_CURRENT_SOURCE_DIR}/../tests/physics/dynamics)
halberd_benchmark(physics_world
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/physics_world.cpp ${physics_world_dir}/scene_fixture.cpp
          ${physics_world_dir}/car_fixture.cpp
  LIBS halberd_physics)
target_include_directories(bench_physics_world PRIVATE ${physics_world_dir})
if(ODE_FOUND)
  target_include_directories(bench_physics_world PRIVATE ${ODE_INCLUDE_DIRS})
  target_link_libraries(bench_physics_world PRIVATE ${ODE_LINK_LIBRARIES})
  target_compile_definitions(bench_physics_world PRIVATE HALBERD_BENCH_ODE=1)
endif()
if(BULLET_FOUND)
  target_include_directories(bench_physics_world PRIVATE ${BULLET_INCLUDE_DIRS})
  target_link_libraries(bench_physics_world PRIVATE ${BULLET_LINK_LIBRARIES})
  target_compile_definitions(bench_physics_world PRIVATE HALBERD_BENCH_BULLET=1)
endif()
