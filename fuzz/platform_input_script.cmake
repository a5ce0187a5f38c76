# The recorded input script reader of the "--input FILE" run option (seeds
# written by the target itself).
halberd_fuzzer(platform_input_script SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/platform_input_script.cpp
               LIBS platform_dinput8 DICT ${CMAKE_CURRENT_SOURCE_DIR}/platform_input_script.dict SELF_SEEDS)
