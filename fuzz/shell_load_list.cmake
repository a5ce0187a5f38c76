halberd_fuzzer(shell_load_list SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/shell_load_list.cpp
               LIBS halberd_shell
               DICT ${CMAKE_CURRENT_SOURCE_DIR}/shell_load_list.dict
               SEEDS ${CMAKE_BINARY_DIR}/data/levels/DEMO/Demo.loa SEEDS_FROM demo_level)
