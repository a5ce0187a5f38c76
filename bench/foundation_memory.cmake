# Tracked allocation and release against plain malloc and free, and the name
# hash over typical file names.
halberd_benchmark(foundation_memory SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/foundation_memory.cpp LIBS halberd_foundation)
