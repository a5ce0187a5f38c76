# Mission1's saved state and events: MissionLoad of the first 136 bytes, then
# frames and events from the rest, against the recording script table.  The
# plug-in's sources are linked in (instrumented); seeds: blocks the plug-in
# saved itself, written by the target when the build runs it with
# HALBERD_WRITE_SEEDS=<folder>.
halberd_fuzzer(mission1_plugin SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/mission1_plugin.cpp
               LIBS mission1_script recording_script_table SELF_SEEDS)
