# The animation readers: ".prb" cache bytes and ".prs" text (with ".aed" event text).  Seeds: the build runs each target
# once with HALBERD_WRITE_SEEDS=<folder> to have it write valid files through the engine's own writers.
halberd_fuzzer(world_anim_cache SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_anim_cache.cpp LIBS halberd_world SELF_SEEDS)
halberd_fuzzer(world_anim_text SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_anim_text.cpp LIBS halberd_world SELF_SEEDS)
