# make_anims: the demo figure's animations (.prs, .aed and the .prb caches)
# from demo_data/anims.txt into ${HALBERD_DEMO_DATA}.  (The state-rule files
# of the data come from make_rules; the hand-written ones in demo_data/ are
# the tools' and the world library's test fixtures.)
file(GLOB make_anims_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
list(FILTER make_anims_sources EXCLUDE REGEX "make_anims_main\\.cpp$")
add_library(make_anims_lib STATIC ${make_anims_sources})
target_include_directories(make_anims_lib PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_link_libraries(make_anims_lib PUBLIC halberd_units halberd_world halberd_scene halberd_render halberd_foundation)
add_executable(make_anims ${CMAKE_CURRENT_LIST_DIR}/make_anims_main.cpp)
target_link_libraries(make_anims PRIVATE make_anims_lib)
halberd_link_operators(make_anims)

# The outputs are named in the description: one "anim <name>" line per animation.
set(anims_source ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/anims.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${anims_source})
file(STRINGS ${anims_source} anims_lines REGEX "^anim[ \t]+[^ \t]+")
set(anims_outputs)
foreach(line IN LISTS anims_lines)
  string(REGEX REPLACE "^anim[ \t]+([^ \t]+).*$" "\\1" name "${line}")
  list(APPEND anims_outputs ${HALBERD_DEMO_DATA}/${name}.prs ${HALBERD_DEMO_DATA}/${name}.aed
       ${HALBERD_DEMO_DATA}/${name}.prb)
endforeach()
add_custom_command(OUTPUT ${anims_outputs}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${HALBERD_DEMO_DATA}
                   COMMAND make_anims ${anims_source} - ${HALBERD_DEMO_DATA}
                   DEPENDS make_anims ${anims_source}
                   COMMENT "Making the demo animations in ${HALBERD_DEMO_DATA}")
halberd_demo_data(demo_anims ${anims_outputs})

# The soldier's clips (demo_data/soldier_anims.txt, for the skeleton of
# "GruntBoxMan") and one file per alias of demo_data/soldier_aliases.txt.
set(soldier_anims_source ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/soldier_anims.txt)
set(soldier_aliases_source ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/soldier_aliases.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${soldier_anims_source} ${soldier_aliases_source})
file(STRINGS ${soldier_anims_source} soldier_anims_lines REGEX "^anim[ \t]+[^ \t]+")
file(STRINGS ${soldier_aliases_source} soldier_alias_lines REGEX "^[A-Z]")
set(soldier_anims_outputs)
foreach(line IN LISTS soldier_anims_lines)
  string(REGEX REPLACE "^anim[ \t]+([^ \t]+).*$" "\\1" name "${line}")
  list(APPEND soldier_anims_outputs ${HALBERD_DEMO_DATA}/${name}.prs ${HALBERD_DEMO_DATA}/${name}.aed
       ${HALBERD_DEMO_DATA}/${name}.prb)
endforeach()
foreach(line IN LISTS soldier_alias_lines)
  string(REGEX REPLACE "^[^ \t]+[ \t]+([^ \t]+)\\.prs.*$" "\\1" name "${line}")
  list(APPEND soldier_anims_outputs ${HALBERD_DEMO_DATA}/${name}.prs ${HALBERD_DEMO_DATA}/${name}.aed
       ${HALBERD_DEMO_DATA}/${name}.prb)
endforeach()
add_custom_command(OUTPUT ${soldier_anims_outputs}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${HALBERD_DEMO_DATA}
                   COMMAND make_anims ${soldier_anims_source} - ${HALBERD_DEMO_DATA} ${soldier_aliases_source}
                   DEPENDS make_anims ${soldier_anims_source} ${soldier_aliases_source}
                   COMMENT "Making the soldier's animations in ${HALBERD_DEMO_DATA}")
halberd_demo_data(demo_soldier_anims ${soldier_anims_outputs})
