# The pool-size file reader.  Seeds: the build runs the target once with HALBERD_WRITE_SEEDS=<folder> to have it write valid files (made by the
# program's own writer) into that folder, then fuzz from it.
halberd_fuzzer(world_pool_size_file SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_pool_size_file.cpp LIBS halberd_world SELF_SEEDS)
