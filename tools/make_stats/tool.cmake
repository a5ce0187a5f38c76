# make_stats: the 39 stats tables, written from the description in
# demo_data/stats into ${HALBERD_DEMO_DATA}/stats and checked at build time
# by the game's own LoadAllStats (any message box or failure fails the build).
add_library(make_stats_lib STATIC ${CMAKE_CURRENT_LIST_DIR}/stats_description.cpp
                                  ${CMAKE_CURRENT_LIST_DIR}/stats_check.cpp)
target_include_directories(make_stats_lib PUBLIC ${CMAKE_CURRENT_LIST_DIR}/.. ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_link_libraries(make_stats_lib PUBLIC halberd_shell halberd_world halberd_foundation)
add_executable(make_stats ${CMAKE_CURRENT_LIST_DIR}/make_stats_main.cpp)
target_link_libraries(make_stats PRIVATE make_stats_lib)
halberd_link_operators(make_stats)

set(HALBERD_STATS_DESCRIPTION ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/stats)
set(HALBERD_STATS_DATA ${HALBERD_DEMO_DATA}/stats)
file(GLOB stats_descriptions CONFIGURE_DEPENDS ${HALBERD_STATS_DESCRIPTION}/*.desc)
set(stats_outputs)
foreach(f Weaps Inven Props HStat VStat fNames sNames intIDs
          CSkins_SAS_R CSkins_SAS_S CSkins_SAS_H CSkins_SAS_C CSkins_US_R CSkins_US_S CSkins_US_H CSkins_US_C
          CSkins_RU_R CSkins_RU_S CSkins_RU_H CSkins_RU_C CSkins_IR_R CSkins_IR_S CSkins_IR_H CSkins_IR_C
          ConnObjs Units Vehicle featStat Structs Feats Doors Targets Switches UnitWpns HSkills VehWpns ExMods
          MPSkins MPSkinItems)
  list(APPEND stats_outputs ${HALBERD_STATS_DATA}/${f}.txt)
endforeach()
add_custom_command(OUTPUT ${stats_outputs}
                   COMMAND make_stats ${HALBERD_STATS_DESCRIPTION} ${HALBERD_STATS_DATA}
                   DEPENDS make_stats ${stats_descriptions}
                   COMMENT "Making and checking the stats tables in ${HALBERD_STATS_DATA}")
halberd_demo_data(demo_stats ${stats_outputs})
