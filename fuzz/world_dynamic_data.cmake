# The dynamics tuning file reader, one run per record kind on the same text.
# Seeds: the build runs the target once with HALBERD_WRITE_SEEDS=<folder> to have it
# write valid files (made by the records' own writers) into that folder.
halberd_fuzzer(world_dynamic_data SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_dynamic_data.cpp LIBS halberd_world SELF_SEEDS)
