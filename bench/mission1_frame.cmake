# Mission1's per-frame cost: MissionUpdate and the events of a recorded
# frame sequence through the script table, against the same script calls
# made directly on the recording table's functions, as a ratio.
halberd_benchmark(mission1_frame SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/mission1_frame.cpp
                  LIBS recording_script_table platform_win32)
add_dependencies(bench_mission1_frame mission1_plugin)
target_compile_definitions(bench_mission1_frame PRIVATE HALBERD_MISSION1_FOLDER="$<TARGET_FILE_DIR:mission1_plugin>")
