# Native tools and tests.
find_package(ZLIB REQUIRED)
target_link_libraries(payload_format PUBLIC ZLIB::ZLIB)

add_executable(qvpack tools/pack/pack.cpp src/payload/day_count.cpp)
target_link_libraries(qvpack PRIVATE payload_format)

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/sample/CMakeLists.txt)
  add_subdirectory(tools/sample)
endif()

set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
add_subdirectory(tests/host)
add_subdirectory(tests/fuzz)

# The benchmark's native tools: built with everything else, so that they
# keep compiling; only bench/run runs them.
add_subdirectory(bench)
