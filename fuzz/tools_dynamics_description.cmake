halberd_fuzzer(tools_dynamics_description SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tools_dynamics_description.cpp
               LIBS make_dynamics_lib
               SEEDS ${PROJECT_SOURCE_DIR}/tools/demo_data/level/dynamics.txt)
