# The text scanner that the text-file readers use (seeds: foundation_seeds).
halberd_fuzzer(foundation_scanner SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/foundation_scanner.cpp LIBS halberd_foundation
               DICT ${CMAKE_CURRENT_SOURCE_DIR}/foundation_scanner.dict)
