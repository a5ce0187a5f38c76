# One fuzz target per file reader of the foundation, and one for the tokenizer.
foreach(reader catalog file_database locale bmp file_parse)
  halberd_fuzzer(foundation_${reader} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/foundation_files.cpp LIBS halberd_foundation)
  string(TOUPPER ${reader} upper)
  target_compile_definitions(fuzz_foundation_${reader} PRIVATE HALBERD_FUZZ_${upper}=1)
endforeach()
