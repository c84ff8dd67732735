# The codecs' sources (portable C++20, zlib for MSZIP), shared by the
# Windows and the native builds: each decoder beside its encoder, with the
# bit readers and writers and the Huffman code builders. The Quantum
# encoder serves the tests only.
set(CAB32_CODEC_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/frame_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_encoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/huffman.cpp
  ${CMAKE_CURRENT_LIST_DIR}/huffman_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lzx_block_coder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lzx_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lzx_encoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/match_finder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mszip_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mszip_encoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/quantum_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stretch_workers.cpp
)
set(CAB32_CODEC_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/quantum_encoder.cpp
)
