# The sound readers: the cache file, banks, interactive music, PSF blocks and
# the environment-sound section.  Seeds: the sound tool's files, and what
# each target writes through the project's writers.
set(sound_data ${CMAKE_BINARY_DIR}/data/sound)
set(sound_libs halberd_sound halberd_world halberd_foundation)
halberd_fuzzer(sound_cache SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/sound_cache.cpp LIBS ${sound_libs}
               DICT ${CMAKE_CURRENT_SOURCE_DIR}/sound_cache.dict
               SEEDS ${sound_data}/DEMO.sch ${sound_data}/FrontEnd.sch SEEDS_FROM demo_sounds SELF_SEEDS)
set(bank_seeds)
foreach(b Interface Explosion Impact Boid CellDoor Jeep Mission1)
  list(APPEND bank_seeds ${sound_data}/${b}.sbk)
endforeach()
halberd_fuzzer(sound_bank SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/sound_bank.cpp LIBS ${sound_libs}
               SEEDS ${bank_seeds} SEEDS_FROM demo_sounds)
halberd_fuzzer(sound_imus SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/sound_imus.cpp LIBS ${sound_libs} SELF_SEEDS)
halberd_fuzzer(sound_psf SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/sound_psf.cpp LIBS ${sound_libs}
               SEEDS ${sound_data}/DEMO.sch SEEDS_FROM demo_sounds)
halberd_fuzzer(sound_env_section SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/sound_env_section.cpp LIBS ${sound_libs}
               DICT ${CMAKE_CURRENT_SOURCE_DIR}/sound_env_section.dict SELF_SEEDS)
