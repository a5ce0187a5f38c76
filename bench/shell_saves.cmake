# Saved games of the units demo level: saving (build, write, flush, rename)
# against writing, flushing and renaming the buffer's bytes, and loading
# (read, check, restore) against reading them, as ratios.
halberd_benchmark(shell_saves SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/shell_saves.cpp
                  ${PROJECT_SOURCE_DIR}/tests/units/units_loader_fixture.cpp
                  LIBS halberd_units halberd_shell halberd_world halberd_scene platform_d3d8 platform_win32)
add_dependencies(bench_shell_saves halberd_demo_data)
target_compile_definitions(bench_shell_saves PRIVATE UNITS_DATA_DIR="${CMAKE_BINARY_DIR}/data/")
