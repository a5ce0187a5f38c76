# The object-file reader and the mesh-section reader it hands mesh bodies to.
halberd_fuzzer(world_evo_file SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/world_evo_file.cpp
               LIBS halberd_world halberd_scene halberd_render halberd_menus)
halberd_fuzzer(scene_mesh_part SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/scene_mesh_part.cpp
               LIBS halberd_scene halberd_world halberd_render halberd_menus)
# Writes the seed files of both targets (objects made by the engine's writers).
add_executable(fuzz_seeds_world_evo ${CMAKE_CURRENT_SOURCE_DIR}/world_evo_seeds.cpp
               ${PROJECT_SOURCE_DIR}/tests/world/environment/evo_fixture.cpp)
target_include_directories(fuzz_seeds_world_evo PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(fuzz_seeds_world_evo PRIVATE halberd_world halberd_scene halberd_render halberd_menus)
halberd_link_operators(fuzz_seeds_world_evo)
set(stamp ${CMAKE_CURRENT_BINARY_DIR}/fuzz_seeds_world_evo.stamp)
add_custom_command(OUTPUT ${stamp}
                   COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 SDL_VIDEODRIVER=offscreen
                           $<TARGET_FILE:fuzz_seeds_world_evo> ${HALBERD_FUZZ_SEEDS}
                   COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
                   DEPENDS fuzz_seeds_world_evo
                   COMMENT "Writing fuzz seeds with fuzz_seeds_world_evo")
add_custom_target(fuzz_seeds_world_evo_run DEPENDS ${stamp})
add_dependencies(halberd_fuzz_seeds fuzz_seeds_world_evo_run)
