# The model source reader (scenes and triangle objects, and the key blocks
# the animation files share).  Seeds: the demo data's model file, and the
# target itself writes one sample file per version of the format (the tests'
# fixture writer) when the build runs it with HALBERD_WRITE_SEEDS=<folder>.
halberd_fuzzer(scene_model_source SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/scene_model_source.cpp
               LIBS halberd_scene halberd_world DICT ${CMAKE_CURRENT_SOURCE_DIR}/scene_model_source.dict
               SEEDS ${PROJECT_SOURCE_DIR}/tools/demo_data/models/lamp.mdl SELF_SEEDS)
