# The units' state-rule loading: the rule reader and the start-up check of
# each file against the program's states and events.  Seeds: the three rule
# files make_rules writes into the demo data.
set(demo_data ${CMAKE_BINARY_DIR}/data)  # the tools' demo data folder
halberd_fuzzer(units_state_rules SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/units_state_rules.cpp
               LIBS halberd_units halberd_world
               DICT ${CMAKE_CURRENT_SOURCE_DIR}/units_state_rules.dict
               SEEDS ${demo_data}/MovementStateRules.txt ${demo_data}/UpperBodyStateRules.txt
                     ${demo_data}/VehicleStateRules.txt
               SEEDS_FROM demo_rules)
