# A full menu frame (backdrop, framed panel, a 12-item menu, the hint lines)
# through the render device at 800 x 600, against Dear ImGui drawing a window
# of the same 12 items through its OpenGL2 back end in the same context.
find_package(PkgConfig REQUIRED)
pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)
find_package(OpenGL REQUIRED)
halberd_benchmark(menus_frame SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/menus_frame.cpp
                  LIBS halberd_menus halberd_shell platform_d3d8 PkgConfig::IMGUI OpenGL::GL)
add_dependencies(bench_menus_frame demo_startup_sprites demo_strings)
target_compile_definitions(bench_menus_frame PRIVATE HALBERD_DEMO_DATA_DIR="${CMAKE_BINARY_DIR}/data")
