# The mission record's saved-game block: read into a record, with and
# without the reset.  Seeds written by the target itself (HALBERD_WRITE_SEEDS)
# through the record's own block writer.
halberd_fuzzer(shell_mission_block SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/shell_mission_block.cpp
               LIBS halberd_shell halberd_world halberd_foundation SELF_SEEDS)
