# The reader is built from its own source so that the target needs no device.
halberd_fuzzer(render_image_info
               SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/render_image_info.cpp ${PROJECT_SOURCE_DIR}/src/render/textures/image_info.cpp
               LIBS halberd_foundation)
