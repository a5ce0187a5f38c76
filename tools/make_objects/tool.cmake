# make_objects: the demo world's object files (.evo) and their textures
# (.tga), generated from the text description demo_data/objects.txt.
file(GLOB make_objects_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
list(FILTER make_objects_sources EXCLUDE REGEX "make_objects_main\\.cpp$")
add_library(make_objects_lib STATIC ${make_objects_sources})
target_include_directories(make_objects_lib PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_link_libraries(make_objects_lib PUBLIC halberd_render halberd_foundation)
