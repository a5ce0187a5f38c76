# Reading a 64 MiB gzip catalog end to end through the shared buffered file
# handle against zlib's own gzread of the same file, with the ratio printed.
halberd_benchmark(foundation_files SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/foundation_files.cpp LIBS halberd_foundation z)
