# One fuzz target per file reader of the foundation, and one for the tokenizer.
foreach(reader catalog file_database locale bmp file_parse)
  halberd_fuzzer(foundation_${reader} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/foundation_files.cpp LIBS halberd_foundation
                 DICT ${CMAKE_CURRENT_SOURCE_DIR}/foundation_${reader}.dict)
  string(TOUPPER ${reader} upper)
  target_compile_definitions(fuzz_foundation_${reader} PRIVATE HALBERD_FUZZ_${upper}=1)
endforeach()
# Seeds of these, of the scanner and of the registry reader.
halberd_fuzz_seed_writer(foundation_seeds SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/seeds/foundation_seeds.cpp
                         LIBS halberd_foundation z)
