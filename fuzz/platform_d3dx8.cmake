# One fuzz target per image reader of the D3DX stand-in.  Seeds: the image
# files of the loader tests (image_seeds), and the sprite tool's pictures.
set(demo_data ${CMAKE_BINARY_DIR}/data)  # the tools' demo data folder
set(demo_pictures_tga ${demo_data}/fontpage.tga ${demo_data}/spritepage.tga)
set(demo_pictures_bmp ${demo_data}/splash.bmp)
foreach(reader bmp tga png jpeg dds)
  halberd_fuzzer(d3dx8_${reader} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/platform_d3dx8.cpp LIBS platform_d3dx8
                 DICT ${CMAKE_CURRENT_SOURCE_DIR}/d3dx8_${reader}.dict
                 SEEDS ${demo_pictures_${reader}} SEEDS_FROM demo_sprites)
  string(TOUPPER ${reader} upper)
  target_compile_definitions(fuzz_d3dx8_${reader} PRIVATE HALBERD_FUZZ_${upper}=1)
endforeach()
halberd_fuzz_seed_writer(image_seeds
                         SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/seeds/image_seeds.cpp
                                 ${PROJECT_SOURCE_DIR}/tests/platform/d3dx8/image_fixture.cpp
                         LIBS platform_d3dx8 platform_d3d8 platform_win32 PNG::PNG JPEG::JPEG GTest::gtest)
