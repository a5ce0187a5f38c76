# The multiplayer session's bandwidth: a host and seven clients in one
# process on 127.0.0.1 at the session's cadences, the bytes on the wire
# against the bits of state the messages carry.
halberd_benchmark(net_session_bandwidth SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/net_session_bandwidth.cpp
                  LIBS halberd_control halberd_net)
