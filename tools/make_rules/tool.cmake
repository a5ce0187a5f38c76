# make_rules: the three state-rule files of the units, from the transition
# groups in demo_data/rules/ and the program's own state and event lists,
# into ${HALBERD_DEMO_DATA}; each file is checked as the game checks it.
file(GLOB make_rules_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
list(FILTER make_rules_sources EXCLUDE REGEX "make_rules_main\\.cpp$")
add_library(make_rules_lib STATIC ${make_rules_sources})
target_include_directories(make_rules_lib PUBLIC ${CMAKE_CURRENT_LIST_DIR}/.. ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_link_libraries(make_rules_lib PUBLIC halberd_units halberd_world halberd_foundation)
add_executable(make_rules ${CMAKE_CURRENT_LIST_DIR}/make_rules_main.cpp)
target_link_libraries(make_rules PRIVATE make_rules_lib)
halberd_link_operators(make_rules)

set(rules_descriptions ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/rules/movement.txt
                       ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/rules/upper_body.txt
                       ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/rules/vehicle.txt)
set(rules_outputs ${HALBERD_DEMO_DATA}/MovementStateRules.txt ${HALBERD_DEMO_DATA}/UpperBodyStateRules.txt
                  ${HALBERD_DEMO_DATA}/VehicleStateRules.txt)
add_custom_command(OUTPUT ${rules_outputs}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${HALBERD_DEMO_DATA}
                   COMMAND make_rules ${HALBERD_DEMO_DATA} ${rules_descriptions}
                   DEPENDS make_rules ${rules_descriptions}
                   COMMENT "Making the state-rule files in ${HALBERD_DEMO_DATA}")
halberd_demo_data(demo_rules ${rules_outputs})
