# The catalog's directory and entry checks on catalog images laid out from
# small descriptions (plain or compressed, with a true or false gzip trailer).
# Seeds: the build runs the target once with HALBERD_WRITE_SEEDS=<folder>.
halberd_fuzzer(foundation_catalog_image SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/foundation_catalog_image.cpp
               LIBS halberd_foundation z DICT ${CMAKE_CURRENT_SOURCE_DIR}/foundation_catalog_image.dict SELF_SEEDS)
