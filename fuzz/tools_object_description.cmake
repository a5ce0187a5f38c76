halberd_fuzzer(tools_object_description SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tools_object_description.cpp
               LIBS make_objects_lib
               SEEDS ${PROJECT_SOURCE_DIR}/tools/demo_data/objects.txt)
