# make_objects: the demo world's object files (.evo) and their textures
# (.tga; .dds for the "leaves" pattern, the one with transparent pixels), generated from the text description demo_data/objects.txt into
# ${HALBERD_DEMO_DATA}.
file(GLOB make_objects_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
list(FILTER make_objects_sources EXCLUDE REGEX "make_objects_main\\.cpp$")
add_library(make_objects_lib STATIC ${make_objects_sources})
target_include_directories(make_objects_lib PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_link_libraries(make_objects_lib PUBLIC halberd_world halberd_scene halberd_render halberd_foundation)
add_executable(make_objects ${CMAKE_CURRENT_LIST_DIR}/make_objects_main.cpp)
target_link_libraries(make_objects PRIVATE make_objects_lib)
halberd_link_operators(make_objects)

# The outputs are named in the description: "texture <name>" and "object <name>" lines.
set(objects_source ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/objects.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${objects_source})
file(STRINGS ${objects_source} objects_lines REGEX "^(texture|object)[ \t]+[^ \t]+")
set(objects_outputs)
foreach(line IN LISTS objects_lines)
  string(REGEX REPLACE "^(texture|object)[ \t]+([^ \t]+).*$" "\\1;\\2" parts "${line}")
  list(GET parts 0 kind)
  list(GET parts 1 name)
  if(kind STREQUAL "texture" AND line MATCHES "^texture[ \t]+[^ \t]+[ \t]+[0-9]+[ \t]+[0-9]+[ \t]+leaves")
    list(APPEND objects_outputs ${HALBERD_DEMO_DATA}/${name}.dds)
  elseif(kind STREQUAL "texture")
    list(APPEND objects_outputs ${HALBERD_DEMO_DATA}/${name}.tga)
  else()
    list(APPEND objects_outputs ${HALBERD_DEMO_DATA}/${name}.evo)
  endif()
endforeach()
add_custom_command(OUTPUT ${objects_outputs}
                   COMMAND make_objects ${objects_source} ${HALBERD_DEMO_DATA}
                   DEPENDS make_objects ${objects_source}
                   COMMENT "Making the demo objects in ${HALBERD_DEMO_DATA}")
halberd_demo_data(demo_objects ${objects_outputs})
