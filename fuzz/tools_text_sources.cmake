halberd_fuzzer(tools_text_sources SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tools_text_sources.cpp
               LIBS make_strings_lib make_catalogs_lib
               SEEDS ${PROJECT_SOURCE_DIR}/tools/demo_data/strings/GenStrs.txt
                     ${PROJECT_SOURCE_DIR}/tools/demo_data/strings/TitleStrs.txt
                     ${PROJECT_SOURCE_DIR}/tools/demo_data/strings/M01Strs.txt
                     ${PROJECT_SOURCE_DIR}/tools/demo_data/catalogs/catalog.txt)
