# The writer's portable sources, shared by the Windows and the native builds.
set(CAB32_WRITER_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/cab_checksum.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cabinet_content.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_encoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/huffman.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lzx_block_coder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lzx_encoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/match_finder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mszip_encoder.cpp
)
