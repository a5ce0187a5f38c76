# Soldiers in the units demo level: milliseconds of a world frame (the world
# step with the soldiers' updates and poses, and the update scheduler) with
# the level's eleven soldiers and with 200 more idling on the ground, as a
# share of a 16.7 ms frame; and the cost of making one soldier in a loaded
# level (factory, construction, asset binding, activation), which is what
# each soldier adds to a level's load.
halberd_benchmark(units_soldiers SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/units_soldiers.cpp
                  ${PROJECT_SOURCE_DIR}/tests/units/units_loader_fixture.cpp
                  LIBS halberd_units halberd_shell halberd_world halberd_scene platform_d3d8 platform_win32)
add_dependencies(bench_units_soldiers halberd_demo_data)
target_compile_definitions(bench_units_soldiers PRIVATE UNITS_DATA_DIR="${CMAKE_BINARY_DIR}/data/")
