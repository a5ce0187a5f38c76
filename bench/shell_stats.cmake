# The stats tables: the loaders over the generated set with a 10,000-row
# weapon table and a 10,000-row unit table, against libfccp-dev's CSV reader
# splitting the same bytes into the same typed fields; FindStats and
# FindStatsByHash over 2,000 records against std::unordered_map.
halberd_benchmark(shell_stats SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/shell_stats.cpp
                  LIBS make_stats_lib halberd_shell halberd_world halberd_foundation)
target_compile_definitions(bench_shell_stats PRIVATE
                           HALBERD_STATS_DESCRIPTION="${PROJECT_SOURCE_DIR}/tools/demo_data/stats")
