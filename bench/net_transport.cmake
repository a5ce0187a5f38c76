# Datagrams a second and the round trip through the network session
# objects on 127.0.0.1, against bare ENet sending the same in the same run.
halberd_benchmark(net_transport SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/net_transport.cpp LIBS platform_dplay8 halberd_foundation)
