# The cabinet structure's portable sources, shared by the Windows and the
# native builds: the tables' reader, the folder reader that feeds the
# decoders, the writer's tables and the data block checksum.
set(CAB32_CABINET_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/data_block.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cab_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cabinet_content.cpp
  ${CMAKE_CURRENT_LIST_DIR}/decode_ahead.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_reader.cpp
)
