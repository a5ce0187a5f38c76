# make_catalogs: the game's catalogs and the loose data tree, from the
# manifests in demo_data/catalogs, into ${HALBERD_GAME_DATA} (the folder the
# program runs in).  Each manifest names its catalog and the built files it
# holds (paths under ${HALBERD_DEMO_DATA}); another tool's output is listed
# by adding a line there.
set(HALBERD_GAME_DATA ${HALBERD_DEMO_DATA}/game)
file(GLOB make_catalogs_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
list(FILTER make_catalogs_sources EXCLUDE REGEX "make_catalogs_main\\.cpp$")
add_library(make_catalogs_lib STATIC ${make_catalogs_sources})
target_include_directories(make_catalogs_lib PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_link_libraries(make_catalogs_lib PUBLIC halberd_foundation)
add_executable(make_catalogs ${CMAKE_CURRENT_LIST_DIR}/make_catalogs_main.cpp)
target_link_libraries(make_catalogs PRIVATE make_catalogs_lib)
halberd_link_operators(make_catalogs)

# halberd_catalog(<manifest file name>): the catalog a manifest names, built
# once every file it lists is.
function(halberd_catalog manifest_name)
  set(manifest ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/catalogs/${manifest_name})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${manifest})
  file(STRINGS ${manifest} lines)
  set(inputs)
  set(catalog_name)
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    if(line MATCHES "^catalog[ \t]+([^ \t]+)[ \t]+from[ \t]+([^ \t]+)")
      set(catalog_name ${CMAKE_MATCH_1})
      list(APPEND inputs ${HALBERD_DEMO_DATA}/${CMAKE_MATCH_2})
    elseif(line MATCHES "^catalog[ \t]+([^ \t]+)")
      set(catalog_name ${CMAKE_MATCH_1})
    elseif(line MATCHES "^tree[ \t]+([^ \t]+)[ \t]+([^ \t]+)[ \t]+([^ \t]+)")
      # A folder: built once the file named last on the line is.
      list(APPEND inputs ${HALBERD_DEMO_DATA}/${CMAKE_MATCH_1}/${CMAKE_MATCH_3})
    elseif(line MATCHES "^([^ \t]+)")
      list(APPEND inputs ${HALBERD_DEMO_DATA}/${CMAKE_MATCH_1})
    endif()
  endforeach()
  if(catalog_name STREQUAL "-")
    # Loose files only: a stamp stands for the output.
    string(MAKE_C_IDENTIFIER "${manifest_name}" stamp_name)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${stamp_name}.stamp)
    add_custom_command(OUTPUT ${output}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${HALBERD_GAME_DATA}
                       COMMAND make_catalogs ${HALBERD_DEMO_DATA} ${HALBERD_GAME_DATA} ${manifest}
                       COMMAND ${CMAKE_COMMAND} -E touch ${output}
                       DEPENDS make_catalogs ${manifest} ${inputs}
                       COMMENT "Installing the files of ${manifest_name} in ${HALBERD_GAME_DATA}")
    halberd_demo_data(demo_${stamp_name} ${output})
    return()
  endif()
  add_custom_command(OUTPUT ${HALBERD_GAME_DATA}/${catalog_name}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${HALBERD_GAME_DATA}
                     COMMAND make_catalogs ${HALBERD_DEMO_DATA} ${HALBERD_GAME_DATA} ${manifest}
                     DEPENDS make_catalogs ${manifest} ${inputs}
                     COMMENT "Making the catalog ${catalog_name} and its loose files in ${HALBERD_GAME_DATA}")
  string(MAKE_C_IDENTIFIER "demo_catalog_${catalog_name}" target)
  halberd_demo_data(${target} ${HALBERD_GAME_DATA}/${catalog_name})
endfunction()

halberd_catalog(catalog.txt)
halberd_catalog(chardata.txt)

halberd_catalog(levels.txt)
halberd_catalog(frontend.txt)
halberd_catalog(demo.txt)
halberd_catalog(units.txt)
halberd_catalog(mp_mission1.txt)
halberd_catalog(mission1.txt)
