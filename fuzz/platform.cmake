# The registry file reader of the Win32 stand-in (seeds: foundation_seeds).
halberd_fuzzer(platform_registry SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/platform_registry.cpp LIBS platform_win32
               DICT ${CMAKE_CURRENT_SOURCE_DIR}/platform_registry.dict)
