# The stats table loaders: the first input byte picks the table, the rest is
# its text.  Seeds: the tables make_stats writes at build time, which the
# target reads (and writes out as seeds) when run with HALBERD_WRITE_SEEDS.
halberd_fuzzer(shell_stats SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/shell_stats.cpp
               LIBS halberd_shell halberd_world halberd_foundation SELF_SEEDS)
target_compile_definitions(fuzz_shell_stats PRIVATE HALBERD_STATS_DATA="${CMAKE_BINARY_DIR}/data/stats")
add_dependencies(fuzz_shell_stats demo_stats)
