# GoogleTest built from source with the project's own compiler (Debian's
# googletest package ships the sources under /usr/src/googletest).
set(TARVIK_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
if(NOT EXISTS ${TARVIK_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${TARVIK_GTEST_SOURCE_DIR}; "
                      "run scripts/install-deps.sh or set TARVIK_GTEST_SOURCE_DIR")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
# With MSVC, GoogleTest takes the project's static runtime (CMakeLists.txt).
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(${TARVIK_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)
