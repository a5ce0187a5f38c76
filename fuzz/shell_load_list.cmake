halberd_fuzzer(shell_load_list SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/shell_load_list.cpp
               LIBS halberd_shell
               DICT ${CMAKE_CURRENT_SOURCE_DIR}/shell_load_list.dict
               SEEDS ${PROJECT_SOURCE_DIR}/tools/demo_data/level/Demo.loa)
