# The eleven entry points of the archiver library, each with the bytes of its
# stdcall arguments. A library exports them under their plain names.
set(TARVIK_CAB32_EXPORTS
  Cab@16 CabGetVersion@0 CabGetRunning@0 CabCheckArchive@8 CabQueryFunctionList@4
  CabSetOwnerWindow@4 CabClearOwnerWindow@0 CabOpenArchive@12 CabCloseArchive@4
  CabFindFirst@12 CabFindNext@8)

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
