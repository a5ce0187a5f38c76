# The network library's readers: the bit stream's reads, and (as they are
# built) the datagram path, the records, the system messages, the host
# enumeration query and answer, and the connect data.  Every target writes
# its own seeds through the library's writers (SELF_SEEDS).
halberd_fuzzer(net_bit_stream SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/net_bit_stream.cpp
               LIBS halberd_net SELF_SEEDS)
halberd_fuzzer(net_datagram SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/net_datagram.cpp LIBS halberd_net SELF_SEEDS)
halberd_fuzzer(net_records SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/net_records.cpp LIBS halberd_net SELF_SEEDS)
halberd_fuzzer(net_enumeration SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/net_enumeration.cpp LIBS platform_dplay8 SELF_SEEDS)
halberd_fuzzer(net_connect_data SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/net_connect_data.cpp LIBS halberd_net SELF_SEEDS)
