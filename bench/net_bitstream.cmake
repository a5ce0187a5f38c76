# One frame's messages (eight soldier states, two player inputs, a session
# message) packed and unpacked through the bit stream, against Protocol
# Buffers encoding the same fields when it is installed.
find_package(Protobuf)
halberd_benchmark(net_bitstream SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/net_bitstream.cpp LIBS halberd_net)
if(Protobuf_FOUND)
  protobuf_generate_cpp(NET_BENCH_PROTO_SRCS NET_BENCH_PROTO_HDRS ${CMAKE_CURRENT_SOURCE_DIR}/net_bitstream.proto)
  target_sources(bench_net_bitstream PRIVATE ${NET_BENCH_PROTO_SRCS})
  target_include_directories(bench_net_bitstream PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
  target_link_libraries(bench_net_bitstream PRIVATE protobuf::libprotobuf)
  target_compile_definitions(bench_net_bitstream PRIVATE HALBERD_BENCH_PROTOBUF=1)
endif()
