# The decoding core's sources (portable C++20, zlib for MSZIP), shared by
# the Windows and the native builds. The Quantum encoder serves the tests only.
set(CAB32_CODEC_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/frame_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/huffman_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lzx_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mszip_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/quantum_decoder.cpp
)
set(CAB32_CODEC_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/quantum_encoder.cpp
)
