# make_key_file: the key binding file "default.key", hand-written in
# demo_data/, checked with the game's binding reader and written beside the
# program and into the demo data folder.
add_executable(make_key_file ${CMAKE_CURRENT_LIST_DIR}/make_key_file_main.cpp)
target_link_libraries(make_key_file PRIVATE halberd_control)
halberd_link_operators(make_key_file)

set(key_source ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/default.key)
set(key_outputs ${HALBERD_DEMO_DATA}/default.key ${CMAKE_BINARY_DIR}/default.key)
add_custom_command(OUTPUT ${key_outputs}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${HALBERD_DEMO_DATA}
                   COMMAND make_key_file ${key_source} ${key_outputs}
                   DEPENDS make_key_file ${key_source}
                   COMMENT "Checking and writing default.key")
halberd_demo_data(demo_key_file ${key_outputs})
