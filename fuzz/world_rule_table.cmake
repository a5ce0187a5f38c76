# The state-rule file reader.  Seeds: the build runs the target once with HALBERD_WRITE_SEEDS=<folder> to have it write valid rule files.
halberd_fuzzer(world_rule_table SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_rule_table.cpp LIBS halberd_world SELF_SEEDS)
