# The switch stats table "Switches.txt" and the level's switch section, with
# an environment, regions and a clock, the switches played after the read.
# Seeds: the build runs the target once with HALBERD_WRITE_SEEDS=<folder>.
halberd_fuzzer(world_switches SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_switches.cpp LIBS halberd_world
               DICT ${CMAKE_CURRENT_SOURCE_DIR}/world_switches.dict SELF_SEEDS)
