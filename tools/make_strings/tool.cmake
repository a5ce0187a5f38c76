# make_strings: the game's localised string tables (".loc") from the UTF-8
# string sources in demo_data/strings into ${HALBERD_DEMO_DATA}/strings.
add_library(make_strings_lib STATIC ${CMAKE_CURRENT_LIST_DIR}/string_table.cpp)
target_include_directories(make_strings_lib PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_link_libraries(make_strings_lib PUBLIC halberd_foundation)
add_executable(make_strings ${CMAKE_CURRENT_LIST_DIR}/make_strings_main.cpp)
target_link_libraries(make_strings PRIVATE make_strings_lib)
halberd_link_operators(make_strings)

set(strings_tables GenStrs PCStrs InvStrs TitleStrs MPStrs M01Strs)
set(strings_args)
set(strings_sources)
set(strings_outputs)
foreach(table IN LISTS strings_tables)
  list(APPEND strings_sources ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/strings/${table}.txt)
  list(APPEND strings_outputs ${HALBERD_DEMO_DATA}/strings/${table}.loc)
  list(APPEND strings_args ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/strings/${table}.txt
       ${HALBERD_DEMO_DATA}/strings/${table}.loc)
endforeach()
add_custom_command(OUTPUT ${strings_outputs}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${HALBERD_DEMO_DATA}/strings
                   COMMAND make_strings ${strings_args}
                   DEPENDS make_strings ${strings_sources}
                   COMMENT "Making the string tables in ${HALBERD_DEMO_DATA}/strings")
halberd_demo_data(demo_strings ${strings_outputs})
