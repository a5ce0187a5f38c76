# The binding file reader (seeds written by the target itself: the
# hand-written "default.key" and the "current.key" the game's writer saves).
halberd_fuzzer(control_bindings SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/control_bindings.cpp LIBS halberd_control
               DICT ${CMAKE_CURRENT_SOURCE_DIR}/control_bindings.dict SELF_SEEDS)
target_compile_definitions(fuzz_control_bindings PRIVATE DEMO_KEY_FILE="${PROJECT_SOURCE_DIR}/tools/demo_data/default.key")
