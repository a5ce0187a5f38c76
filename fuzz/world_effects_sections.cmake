# The effect modules' sections of the environment file: particle emitters
# ("<EMIT>") and tracer batteries.  The target writes its own seeds through
# the sections' writers.  The emitters read are run on a game clock.
halberd_fuzzer(world_effects_sections SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_effects_sections.cpp
               LIBS halberd_world DICT ${CMAKE_CURRENT_SOURCE_DIR}/world_effects_sections.dict SELF_SEEDS)
