# make_anims: the demo figure's animations (.prs, .aed and the .prb caches)
# and the three state-rule files, from demo_data/anims.txt and the rule texts
# in demo_data/ into ${HALBERD_DEMO_DATA}.
file(GLOB make_anims_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
list(FILTER make_anims_sources EXCLUDE REGEX "make_anims_main\\.cpp$")
add_library(make_anims_lib STATIC ${make_anims_sources})
target_include_directories(make_anims_lib PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_link_libraries(make_anims_lib PUBLIC halberd_world halberd_scene halberd_render halberd_foundation)
add_executable(make_anims ${CMAKE_CURRENT_LIST_DIR}/make_anims_main.cpp)
target_link_libraries(make_anims PRIVATE make_anims_lib)
halberd_link_operators(make_anims)

# The outputs are named in the description: one "anim <name>" line per animation.
set(anims_source ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/anims.txt)
set(anims_rules UpperBodyStateRules.txt MovementStateRules.txt VehicleStateRules.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${anims_source})
file(STRINGS ${anims_source} anims_lines REGEX "^anim[ \t]+[^ \t]+")
set(anims_outputs)
foreach(line IN LISTS anims_lines)
  string(REGEX REPLACE "^anim[ \t]+([^ \t]+).*$" "\\1" name "${line}")
  list(APPEND anims_outputs ${HALBERD_DEMO_DATA}/${name}.prs ${HALBERD_DEMO_DATA}/${name}.aed
       ${HALBERD_DEMO_DATA}/${name}.prb)
endforeach()
set(anims_rule_sources)
foreach(rules IN LISTS anims_rules)
  list(APPEND anims_outputs ${HALBERD_DEMO_DATA}/${rules})
  list(APPEND anims_rule_sources ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/${rules})
endforeach()
add_custom_command(OUTPUT ${anims_outputs}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${HALBERD_DEMO_DATA}
                   COMMAND make_anims ${anims_source} ${CMAKE_CURRENT_SOURCE_DIR}/demo_data ${HALBERD_DEMO_DATA}
                   DEPENDS make_anims ${anims_source} ${anims_rule_sources}
                   COMMENT "Making the demo animations in ${HALBERD_DEMO_DATA}")
halberd_demo_data(demo_anims ${anims_outputs})
