# make_dynamics: ".dyn" tuning files from a text description.  The demo
# level's (demo_data/level/dynamics.txt) are written by make_level into the
# level's folder, through this library, so that they sit in the level's
# catalog; the program stands alone for other descriptions.
file(GLOB make_dynamics_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
list(FILTER make_dynamics_sources EXCLUDE REGEX "make_dynamics_main\\.cpp$")
add_library(make_dynamics_lib STATIC ${make_dynamics_sources})
target_include_directories(make_dynamics_lib PUBLIC ${CMAKE_CURRENT_LIST_DIR}/.. ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_link_libraries(make_dynamics_lib PUBLIC halberd_world halberd_foundation)
add_executable(make_dynamics ${CMAKE_CURRENT_LIST_DIR}/make_dynamics_main.cpp)
target_link_libraries(make_dynamics PRIVATE make_dynamics_lib)
halberd_link_operators(make_dynamics)
