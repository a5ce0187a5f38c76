# Voices through the game's sound path against OpenAL Soft mixing static
# buffers, per voice and as a ratio.
halberd_benchmark(sound_mixer SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/sound_mixer.cpp
                  LIBS halberd_sound make_sounds_lib platform_dsound8)
