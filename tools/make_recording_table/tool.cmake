# make_recording_table: the recording script function table that tests,
# benchmarks and fuzz targets of mission plug-ins run a plug-in against
# (library recording_script_table; tests/test_support/recording_script_table.h).
include(${PROJECT_SOURCE_DIR}/cmake/halberd_plugin.cmake)
add_executable(make_recording_table ${CMAKE_CURRENT_LIST_DIR}/make_recording_table_main.cpp
                                    ${PROJECT_SOURCE_DIR}/tools/make_script_table/script_slot_list.cpp)
target_include_directories(make_recording_table PRIVATE ${PROJECT_SOURCE_DIR}/tools/make_script_table)
halberd_link_operators(make_recording_table)

set(recording_slot_list ${PROJECT_SOURCE_DIR}/src/shell/script/script_slots.txt)
set(recording_source ${HALBERD_SCRIPT_GENERATED}/recording_script_table_generated.cpp)
add_custom_command(OUTPUT ${recording_source}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${HALBERD_SCRIPT_GENERATED}
                   COMMAND make_recording_table ${recording_slot_list} ${recording_source}
                   DEPENDS make_recording_table ${recording_slot_list}
                   COMMENT "Generating the recording script function table")
add_library(recording_script_table STATIC EXCLUDE_FROM_ALL ${recording_source}
            ${PROJECT_SOURCE_DIR}/tests/test_support/recording_script_table.cpp)
target_include_directories(recording_script_table PUBLIC ${PROJECT_SOURCE_DIR}/tests ${HALBERD_SCRIPT_GENERATED})
add_dependencies(recording_script_table mission_abi_header)
