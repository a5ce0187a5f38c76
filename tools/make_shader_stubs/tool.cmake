# make_shader_stubs: the shader files of start-up, as stubs, from
# demo_data/shaders.txt into ${HALBERD_DEMO_DATA}/shaders.
add_executable(make_shader_stubs ${CMAKE_CURRENT_LIST_DIR}/make_shader_stubs_main.cpp)
target_include_directories(make_shader_stubs PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_link_libraries(make_shader_stubs PRIVATE halberd_foundation)
halberd_link_operators(make_shader_stubs)

set(shaders_list ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/shaders.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${shaders_list})
file(STRINGS ${shaders_list} shader_names REGEX "^[^#].*\\.[pv]so$")
set(shader_outputs)
foreach(name IN LISTS shader_names)
  list(APPEND shader_outputs ${HALBERD_DEMO_DATA}/shaders/${name})
endforeach()
add_custom_command(OUTPUT ${shader_outputs}
                   COMMAND make_shader_stubs ${shaders_list} ${HALBERD_DEMO_DATA}/shaders
                   DEPENDS make_shader_stubs ${shaders_list}
                   COMMENT "Making the shader stubs in ${HALBERD_DEMO_DATA}/shaders")
halberd_demo_data(demo_shaders ${shader_outputs})
