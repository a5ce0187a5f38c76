# make_level: the demo level's files (environment file, object files and
# textures, octree, pool-size file, route data, ".dyn" files and catalog), generated from the text
# description demo_data/level/demo.txt (and the files it includes) into
# ${HALBERD_DEMO_DATA}/levels/DEMO.
file(GLOB make_level_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
list(FILTER make_level_sources EXCLUDE REGEX "make_level_main\\.cpp$")
add_library(make_level_lib STATIC ${make_level_sources})
target_include_directories(make_level_lib PUBLIC ${CMAKE_CURRENT_LIST_DIR}/.. ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_link_libraries(make_level_lib PUBLIC make_objects_lib make_dynamics_lib make_anims_lib make_sprites_sheet halberd_world halberd_scene halberd_render halberd_foundation)
add_executable(make_level ${CMAKE_CURRENT_LIST_DIR}/make_level_main.cpp)
target_link_libraries(make_level PRIVATE make_level_lib)
halberd_link_operators(make_level)

set(level_folder ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/level)
file(GLOB level_sources CONFIGURE_DEPENDS ${level_folder}/*.txt)
# Objects the level places that are authored as model source files.
file(GLOB level_models CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/models/*)
set(level_outputs ${HALBERD_DEMO_DATA}/levels/DEMO/DEMO.env ${HALBERD_DEMO_DATA}/levels/DEMO/DEMO.OCT
                  ${HALBERD_DEMO_DATA}/levels/DEMO/DEMO.FAS ${HALBERD_DEMO_DATA}/levels/DEMO/DEMO.dat
                  ${HALBERD_DEMO_DATA}/levels/DEMO/DEMO.qtd ${HALBERD_DEMO_DATA}/levels/DEMO/DEMO.rmd)
add_custom_command(OUTPUT ${level_outputs}
                   COMMAND make_level ${level_folder}/demo.txt ${HALBERD_DEMO_DATA}/levels/DEMO
                   DEPENDS make_level ${level_sources} ${level_models} ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/objects.txt
                           ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/level_common.txt
                   COMMENT "Making the demo level in ${HALBERD_DEMO_DATA}/levels/DEMO")
halberd_demo_data(demo_level ${level_outputs})

# The units' demo level "Units" (demo_data/units_level/units.txt): its files,
# the soldiers' animation aliases taken from the data folder, its catalog
# "Units.dat" and its load list "Units.loa", into ${HALBERD_DEMO_DATA}/levels/Units.
set(units_level_folder ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/units_level)
file(GLOB units_level_sources CONFIGURE_DEPENDS ${units_level_folder}/*.txt)
set(units_level_outputs ${HALBERD_DEMO_DATA}/levels/Units/Units.env ${HALBERD_DEMO_DATA}/levels/Units/Units.OCT
                        ${HALBERD_DEMO_DATA}/levels/Units/Units.FAS ${HALBERD_DEMO_DATA}/levels/Units/Units.dat
                        ${HALBERD_DEMO_DATA}/levels/Units/Units.loa)
add_custom_command(OUTPUT ${units_level_outputs}
                   COMMAND make_level ${units_level_folder}/units.txt ${HALBERD_DEMO_DATA}/levels/Units ${HALBERD_DEMO_DATA}
                   DEPENDS make_level ${units_level_sources} ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/objects.txt
                           ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/soldier_aliases.txt ${soldier_anims_outputs}
                           ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/level_common.txt
                   COMMENT "Making the units level in ${HALBERD_DEMO_DATA}/levels/Units")
halberd_demo_data(units_level ${units_level_outputs})

# The front end's level (demo_data/frontend/frontend.txt): the backdrop the
# front-end plug-in loads, with its catalog "FrontEnd.dat", into
# ${HALBERD_DEMO_DATA}/levels/FrontEnd.
set(frontend_folder ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/frontend)
file(GLOB frontend_sources CONFIGURE_DEPENDS ${frontend_folder}/*.txt)
set(frontend_outputs ${HALBERD_DEMO_DATA}/levels/FrontEnd/FrontEnd.env ${HALBERD_DEMO_DATA}/levels/FrontEnd/FrontEnd.OCT
                     ${HALBERD_DEMO_DATA}/levels/FrontEnd/FrontEnd.FAS ${HALBERD_DEMO_DATA}/levels/FrontEnd/FrontEnd.dat)
add_custom_command(OUTPUT ${frontend_outputs}
                   COMMAND make_level ${frontend_folder}/frontend.txt ${HALBERD_DEMO_DATA}/levels/FrontEnd
                   DEPENDS make_level ${frontend_sources} ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/objects.txt
                           ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/level_common.txt
                   COMMENT "Making the front end's level in ${HALBERD_DEMO_DATA}/levels/FrontEnd")
halberd_demo_data(frontend_level ${frontend_outputs})

# The multiplayer arena (demo_data/mp_mission1/mp_mission1.txt) that the
# stand-in "MP_Mission1" plug-in loads, with its catalog "MP_Mission1.dat",
# into ${HALBERD_DEMO_DATA}/levels/MP_Mission1.
set(mp_mission1_folder ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/mp_mission1)
file(GLOB mp_mission1_sources CONFIGURE_DEPENDS ${mp_mission1_folder}/*.txt)
set(mp_mission1_outputs ${HALBERD_DEMO_DATA}/levels/MP_Mission1/MP_Mission1.env
                        ${HALBERD_DEMO_DATA}/levels/MP_Mission1/MP_Mission1.OCT
                        ${HALBERD_DEMO_DATA}/levels/MP_Mission1/MP_Mission1.FAS
                        ${HALBERD_DEMO_DATA}/levels/MP_Mission1/MP_Mission1.dat)
add_custom_command(OUTPUT ${mp_mission1_outputs}
                   COMMAND make_level ${mp_mission1_folder}/mp_mission1.txt ${HALBERD_DEMO_DATA}/levels/MP_Mission1
                   DEPENDS make_level ${mp_mission1_sources} ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/objects.txt
                           ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/level_common.txt
                   COMMENT "Making the multiplayer arena in ${HALBERD_DEMO_DATA}/levels/MP_Mission1")
halberd_demo_data(mp_mission1_level ${mp_mission1_outputs})

# The first mission's two sky records (demo_data/mission1/*.txt, their "sky"
# lines) as ".sky" files in ${HALBERD_DEMO_DATA}/mission1.
set(mission1_skies Mid_night_starry Mid_day_sunny)
set(mission1_sky_outputs)
foreach(sky IN LISTS mission1_skies)
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/mission1/${sky}.txt)
  set(output ${HALBERD_DEMO_DATA}/mission1/${sky}.sky)
  add_custom_command(OUTPUT ${output}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${HALBERD_DEMO_DATA}/mission1
                     COMMAND make_level --sky ${source} ${output}
                     DEPENDS make_level ${source}
                     COMMENT "Making the sky record ${sky}.sky")
  list(APPEND mission1_sky_outputs ${output})
endforeach()
halberd_demo_data(mission1_skies ${mission1_sky_outputs})

# The first mission's level (demo_data/mission1/mission1.txt) with its catalog
# "Mission1.dat" into ${HALBERD_DEMO_DATA}/levels/Mission1, and its objective
# map picture "GWMission1.img" (cell 0, page "GWMission1.tga") drawn from the
# built level over the map box the mission gives it, into
# ${HALBERD_DEMO_DATA}/mission1.
set(mission1_folder ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/mission1)
file(GLOB mission1_level_sources CONFIGURE_DEPENDS ${mission1_folder}/*.txt)
set(mission1_level_dir ${HALBERD_DEMO_DATA}/levels/Mission1)
set(mission1_level_outputs ${mission1_level_dir}/Mission1.env ${mission1_level_dir}/Mission1.OCT
                           ${mission1_level_dir}/Mission1.FAS ${mission1_level_dir}/Mission1.dat
                           ${mission1_level_dir}/Mission1.qtd ${mission1_level_dir}/Mission1.rmd)
add_custom_command(OUTPUT ${mission1_level_outputs}
                   COMMAND make_level ${mission1_folder}/mission1.txt ${mission1_level_dir}
                   DEPENDS make_level ${mission1_level_sources} ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/objects.txt
                           ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/level_common.txt
                           ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/sound/mission1_sounds.txt
                   COMMENT "Making the first mission's level in ${mission1_level_dir}")
halberd_demo_data(mission1_level ${mission1_level_outputs})
set(mission1_map ${HALBERD_DEMO_DATA}/mission1/GWMission1.img ${HALBERD_DEMO_DATA}/mission1/GWMission1.tga)
add_custom_command(OUTPUT ${mission1_map}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${HALBERD_DEMO_DATA}/mission1
                   COMMAND make_level --map ${mission1_level_dir} Mission1 8482.3 70181.8 -45802.4 15471.6 256 256
                           ${HALBERD_DEMO_DATA}/mission1/GWMission1.img
                   DEPENDS make_level ${mission1_level_outputs}
                   COMMENT "Drawing the first mission's objective map")
halberd_demo_data(mission1_map ${mission1_map})
