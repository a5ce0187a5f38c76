# PSF decoding against memcpy of its PCM, and the worst frame of 32 channels
# refilling at once through the game's path.
halberd_benchmark(sound_psf SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/sound_psf.cpp
                  LIBS halberd_sound make_sounds_lib platform_dsound8)
