# The sprite-set recipe reader of the sprite tool (seeds: the repository's
# recipes, which make the game's start-up sets).
halberd_fuzzer(tools_sheet_recipes SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tools_sheet_recipes.cpp LIBS make_sprites_sheet
               DICT ${CMAKE_CURRENT_SOURCE_DIR}/tools_sheet_recipes.dict
               SEEDS ${PROJECT_SOURCE_DIR}/tools/demo_data/sheets.txt)
target_compile_definitions(fuzz_tools_sheet_recipes PRIVATE
                           DEMO_GLYPHS_FILE="${PROJECT_SOURCE_DIR}/tools/demo_data/glyphs.txt"
                           DEMO_PARTICLES_FILE="${PROJECT_SOURCE_DIR}/tools/demo_data/particles.txt")
