# Filling the load screen's slot list from 10, 100 and 1,000 saved games in a
# folder, against one std::filesystem time read per file and a std::sort of
# the same names, with the ratio printed.
halberd_benchmark(menus_save_list SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/menus_save_list.cpp
                  LIBS halberd_menus halberd_shell)
