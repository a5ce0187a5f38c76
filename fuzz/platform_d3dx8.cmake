# One fuzz target per image reader of the D3DX stand-in.
foreach(reader bmp tga png jpeg dds)
  halberd_fuzzer(d3dx8_${reader} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/platform_d3dx8.cpp LIBS platform_d3dx8)
  string(TOUPPER ${reader} upper)
  target_compile_definitions(fuzz_d3dx8_${reader} PRIVATE HALBERD_FUZZ_${upper}=1)
endforeach()
