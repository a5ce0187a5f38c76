# make_sprites: sprite files, fonts and pictures for the engine, and the demo
# data folder that the program shows, generated here from the text sources in
# demo_data/ into ${HALBERD_DEMO_DATA}.
add_library(make_sprites_sheet STATIC ${CMAKE_CURRENT_LIST_DIR}/sprite_sheet.cpp ${CMAKE_CURRENT_LIST_DIR}/startup_sheets.cpp
                                      ${CMAKE_CURRENT_LIST_DIR}/sheet_recipes.cpp)
target_include_directories(make_sprites_sheet PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_link_libraries(make_sprites_sheet PUBLIC halberd_foundation)
add_executable(make_sprites ${CMAKE_CURRENT_LIST_DIR}/make_sprites_main.cpp)
target_link_libraries(make_sprites PRIVATE make_sprites_sheet)
halberd_link_operators(make_sprites)

set(demo_sources ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/glyphs.txt ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/sprites.txt
                 ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/particles.txt ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/flares.txt)
set(demo_outputs ${HALBERD_DEMO_DATA}/font.spr ${HALBERD_DEMO_DATA}/fontpage.tga ${HALBERD_DEMO_DATA}/sprites.spr
                 ${HALBERD_DEMO_DATA}/spritepage.tga ${HALBERD_DEMO_DATA}/particles.spr
                 ${HALBERD_DEMO_DATA}/particles.tga ${HALBERD_DEMO_DATA}/flares.spr ${HALBERD_DEMO_DATA}/flares.tga
                 ${HALBERD_DEMO_DATA}/splash.bmp)
add_custom_command(OUTPUT ${demo_outputs}
                   COMMAND make_sprites demo ${CMAKE_CURRENT_SOURCE_DIR}/demo_data ${HALBERD_DEMO_DATA}
                   DEPENDS make_sprites ${demo_sources}
                   COMMENT "Making the demo sprites in ${HALBERD_DEMO_DATA}")
halberd_demo_data(demo_sprites ${demo_outputs})

# The sprite sets the game loads at start-up, each a sprite file and its page.
set(startup_sheets VHBFont GWInt 8060 6448 Effects NewLogo Backdrop USMedals UKMedals)
set(startup_outputs)
foreach(sheet IN LISTS startup_sheets)
  list(APPEND startup_outputs ${HALBERD_DEMO_DATA}/startup/${sheet}.img ${HALBERD_DEMO_DATA}/startup/${sheet}.tga)
endforeach()
foreach(picture DefLoad DefLoad_US PCPromo SplashMarlow SplashBrindle PCSplashLegal splash3 splash1 splash4)
  list(APPEND startup_outputs ${HALBERD_DEMO_DATA}/startup/${picture}.bmp)
endforeach()
add_custom_command(OUTPUT ${startup_outputs}
                   COMMAND make_sprites startup ${CMAKE_CURRENT_SOURCE_DIR}/demo_data ${HALBERD_DEMO_DATA}/startup
                   DEPENDS make_sprites ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/sheets.txt
                           ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/glyphs.txt
                           ${CMAKE_CURRENT_SOURCE_DIR}/demo_data/particles.txt
                   COMMENT "Making the start-up sprite sets in ${HALBERD_DEMO_DATA}/startup")
halberd_demo_data(demo_startup_sprites ${startup_outputs})
