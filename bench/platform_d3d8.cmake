# 10,000 textured screen quads a frame through the Direct3D 8 stand-in and
# through plain OpenGL calls, in one run, with frames per second and the ratio.
halberd_benchmark(platform_d3d8 SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/platform_d3d8.cpp
                  LIBS platform_d3d8 platform_win32)
