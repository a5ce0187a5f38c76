# The script's ".sky" data-file reader.  Seeds: the first mission's two sky
# records made by the level tool.
set(demo_data ${CMAKE_BINARY_DIR}/data)  # the tools' demo data folder
halberd_fuzzer(shell_sky_data SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/shell_sky_data.cpp
               LIBS halberd_shell halberd_world halberd_foundation
               SEEDS ${demo_data}/mission1/Mid_night_starry.sky ${demo_data}/mission1/Mid_day_sunny.sky
               SEEDS_FROM mission1_skies)
