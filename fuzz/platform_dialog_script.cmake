# The dialog script reader of the "--dialogs FILE" run option (seeds written
# by the target itself).
halberd_fuzzer(platform_dialog_script SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/platform_dialog_script.cpp
               LIBS platform_win32 DICT ${CMAKE_CURRENT_SOURCE_DIR}/platform_dialog_script.dict SELF_SEEDS)
