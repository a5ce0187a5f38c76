# The reader is built from its own source so that the target needs no device.
# Seeds: image_seeds, and the sprite tool's pictures.
set(demo_data ${CMAKE_BINARY_DIR}/data)  # the tools' demo data folder
halberd_fuzzer(render_image_info
               SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/render_image_info.cpp ${PROJECT_SOURCE_DIR}/src/render/textures/image_info.cpp
               LIBS halberd_foundation
               DICT ${CMAKE_CURRENT_SOURCE_DIR}/render_image_info.dict
               SEEDS ${demo_data}/fontpage.tga ${demo_data}/splash.bmp SEEDS_FROM demo_sprites)
