# The entry points of the archiver library, read from their rows in
# interface/cab32_api.h (the one place they are named): TARVIK_CAB32_EXPORTS
# lists each as Name@Bytes, the bytes of its stdcall arguments.
set(_cab32_api ${PROJECT_SOURCE_DIR}/interface/cab32_api.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_cab32_api})
file(STRINGS ${_cab32_api} _entry_rows REGEX "^inline constexpr EntryPoint<")
set(TARVIK_CAB32_EXPORTS "")
foreach(row IN LISTS _entry_rows)
  if(NOT row MATCHES "EntryPoint<decltype\\(::([A-Za-z]+)\\)> k([A-Za-z]+)\\{\\{\"([A-Za-z]+)\", [0-9]+, ([0-9]+)\\}\\}")
    message(FATAL_ERROR "cab32_api.h: cannot read the entry point row '${row}'")
  endif()
  if(NOT (CMAKE_MATCH_1 STREQUAL CMAKE_MATCH_2 AND CMAKE_MATCH_1 STREQUAL CMAKE_MATCH_3))
    message(FATAL_ERROR "cab32_api.h: the row of ${CMAKE_MATCH_1} names it differently")
  endif()
  list(APPEND TARVIK_CAB32_EXPORTS "${CMAKE_MATCH_1}@${CMAKE_MATCH_4}")
endforeach()
list(LENGTH TARVIK_CAB32_EXPORTS _entry_count)
if(NOT _entry_count EQUAL 11)
  message(FATAL_ERROR "cab32_api.h: ${_entry_count} entry point rows read, 11 expected")
endif()

# Writes a module-definition file that exports `entries` (Name@Bytes) under
# their undecorated names, for the compiler in use.
function(tarvik_write_exports_def out_file library_name)
  set(text "LIBRARY ${library_name}\nEXPORTS\n")
  foreach(entry IN LISTS ARGN)
    string(REGEX REPLACE "@.*$" "" name "${entry}")
    # i686 GCC decorates stdcall names (Name@Bytes); MSVC's linker and 64-bit
    # targets take the plain name.
    if(MSVC OR CMAKE_SIZEOF_VOID_P EQUAL 8)
      string(APPEND text "  ${name}\n")
    else()
      string(APPEND text "  ${name}=${entry}\n")
    endif()
  endforeach()
  file(CONFIGURE OUTPUT "${out_file}" CONTENT "${text}" @ONLY)
endfunction()
