# The cabinet structure's portable sources: the tables' reader and the
# folder reader that feeds the decoders. Shared by the Windows and the
# native builds.
set(CAB32_CABINET_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/cab_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_reader.cpp
)
