# The multiplayer session's readers: game messages of a received datagram
# (the welcome, the session and event messages with their dispatch, the
# player input message), and the records that travel (settings, world
# block, respawn-queue blocks).  Each target writes its own seeds with the
# game's writers (SELF_SEEDS).
halberd_fuzzer(net_session_messages SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/net_session_messages.cpp
               LIBS halberd_control halberd_net SELF_SEEDS)
halberd_fuzzer(net_session_records SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/net_session_records.cpp
               LIBS halberd_net SELF_SEEDS)
