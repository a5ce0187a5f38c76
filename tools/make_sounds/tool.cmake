# make_sounds: the demo's sound banks (".sbk") and caches (".sch"), every
# sample synthesised from tools/demo_data/sound/samples.txt and encoded with
# our own PSF encoder, the banks and caches as tools/demo_data/sound/banks.txt
# lists them, into ${HALBERD_DEMO_DATA}/sound.
file(GLOB make_sounds_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
list(FILTER make_sounds_sources EXCLUDE REGEX "make_sounds_main\\.cpp$")
add_library(make_sounds_lib STATIC ${make_sounds_sources})
target_include_directories(make_sounds_lib PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/.. ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_link_libraries(make_sounds_lib PUBLIC halberd_sound halberd_world halberd_foundation)
# The encoder predicts the decoder's single-precision arithmetic exactly.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/psf_encoder.cpp PROPERTIES COMPILE_OPTIONS "-ffp-contract=off")
add_executable(make_sounds ${CMAKE_CURRENT_LIST_DIR}/make_sounds_main.cpp)
target_link_libraries(make_sounds PRIVATE make_sounds_lib)
halberd_link_operators(make_sounds)

set(sound_sources ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/sound/samples.txt ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/sound/banks.txt)
set(sound_names FrontEnd.sch Mission1.sch DEMO.sch Interface.sbk Explosion.sbk Impact.sbk Boid.sbk CellDoor.sbk
                Pistol.sbk Rifle.sbk Sniper.sbk LAW.sbk Grenade.sbk C4.sbk Boat.sbk Jeep.sbk Mission1.sbk
                MP_Mission1.sch MP_Interface.sbk MP_UKSoldier.sbk MP_USSoldier.sbk MP_RussianSoldier.sbk
                MP_IraqiSoldier.sbk)
set(sound_outputs)
foreach(n IN LISTS sound_names)
  list(APPEND sound_outputs ${HALBERD_DEMO_DATA}/sound/${n})
endforeach()
set(HALBERD_SOUND_DATA ${HALBERD_DEMO_DATA}/sound CACHE INTERNAL "The demo's sound files")
add_custom_command(OUTPUT ${sound_outputs}
                   COMMAND make_sounds ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/sound ${HALBERD_DEMO_DATA}/sound
                   DEPENDS make_sounds ${sound_sources}
                   COMMENT "Making the demo sounds in ${HALBERD_DEMO_DATA}/sound")
halberd_demo_data(demo_sounds ${sound_outputs})
