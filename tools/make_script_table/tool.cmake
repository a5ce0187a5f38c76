# make_script_table: the plug-in interface header and the program's script
# function table from src/shell/script/script_slots.txt (the rules that
# generate them are in src/shell/CMakeLists.txt, where the table is built).
add_executable(make_script_table ${CMAKE_CURRENT_LIST_DIR}/make_script_table_main.cpp
                                 ${CMAKE_CURRENT_LIST_DIR}/script_slot_list.cpp)
halberd_link_operators(make_script_table)
