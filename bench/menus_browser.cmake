# The session browser listing a host: from the search for "127.0.0.1:PORT"
# (the host address entry's path) to the frame whose list shows the host, an
# in-process host on a free port, against the bare round trip of the same
# query datagram on a plain UDP socket in the same run.
halberd_benchmark(menus_browser SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/menus_browser.cpp
                  LIBS halberd_menus halberd_shell halberd_net platform_dplay8)
