# Two cross configurations share this file:
#  - the product (QV_TESTS off, win32 thread model): setup.exe and kel.exe;
#  - the tests (QV_TESTS on, posix thread model): the same code linked into
#    test programs that run under Wine against the product's setup.exe.
enable_language(RC)
option(QV_TESTS "Build the tests that run under Wine instead of the product" OFF)

if(NOT QV_TESTS AND NOT HOST_BIN)
  message(FATAL_ERROR "HOST_BIN must name the native build's bin folder (see Makefile)")
endif()
if(QV_TESTS AND NOT QV_PRODUCT_BIN)
  message(FATAL_ERROR "QV_PRODUCT_BIN must name the product build's bin folder (see Makefile)")
endif()

# Small and self-contained: no runtime DLLs beyond what every system has.
# The 32-bit program declares subsystem 4.0, so that the loaders of Windows
# 95/98/ME and NT 4.0 start it and it can tell their users itself that it
# needs Windows 2000; the 64-bit build (a test vehicle) declares the first
# 64-bit Windows.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(QV_SUBSYSTEM_MAJOR 4)
  set(QV_SUBSYSTEM_MINOR 0)
else()
  set(QV_SUBSYSTEM_MAJOR 5)
  set(QV_SUBSYSTEM_MINOR 2)
endif()
# Sized for a small download: every function and datum in a section of its
# own for the linker to drop when unused, and std::string instantiated only
# for the members used (see the header). The 32-bit code needs no unwind
# tables (nothing throws); the 64-bit one keeps the system's, which the
# system itself walks the stack with.
set(QV_COMPILE_OPTIONS -Wall -Wextra -ffunction-sections -fdata-sections
    "SHELL:-include ${CMAKE_SOURCE_DIR}/cmake/string_templates.h")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  list(APPEND QV_COMPILE_OPTIONS -fno-asynchronous-unwind-tables)
endif()
# The product leaves out the texts of the library's errors, which it never
# shows (see the header); one of them is a format, now empty.
if(NOT QV_TESTS)
  list(APPEND QV_COMPILE_OPTIONS -DQV_NO_LIBRARY_MESSAGES -Wno-format-zero-length)
endif()
# The program's own code, in the product and in the test programs alike,
# without C++ exceptions and run-time type information: nothing in it throws,
# catches or asks an object's type, and what the library would throw ends
# the program at once (src/app/quiet_terminate.cpp). That leaves out the
# unwinder, the exception runtime and every unwind table, about a third of
# the program. Function-local statics with a dynamic initialiser live only
# in the wizard, which one thread runs, so they need no lock. The compiler
# makes no private copies of functions with fewer or constant arguments:
# each source file would get its own copy of the same string functions,
# about 6 KB in all. Nor does it give each source file a private copy of
# every constructor it uses (the "decloned" one behind the complete and the
# base constructor, which the linker of this format cannot merge): 3.5 KB.
# The code is compiled as small as the compiler can (-Oz: 1.5 KB less than
# -Os); what is worth speed, the inflating and the copy, runs in zlib and
# the system.
set(QV_CODE_OPTIONS ${QV_COMPILE_OPTIONS} -fno-exceptions -fno-rtti -fno-threadsafe-statics
    -fno-ipa-sra -fno-ipa-cp-clone -fno-declone-ctor-dtor)
if(CMAKE_BUILD_TYPE STREQUAL "MinSizeRel")
  string(REPLACE "-Os" "-Oz" CMAKE_CXX_FLAGS_MINSIZEREL "${CMAKE_CXX_FLAGS_MINSIZEREL}")
endif()
set(QV_LINK_OPTIONS -static -static-libgcc -static-libstdc++ -Wl,--gc-sections
    -Wl,--major-subsystem-version,${QV_SUBSYSTEM_MAJOR}
    -Wl,--minor-subsystem-version,${QV_SUBSYSTEM_MINOR}
    -Wl,--major-os-version,${QV_SUBSYSTEM_MAJOR} -Wl,--minor-os-version,${QV_SUBSYSTEM_MINOR})
target_compile_options(payload_format PRIVATE ${QV_CODE_OPTIONS})

# zlib. setup.exe takes only its inflating part, built here from Debian's
# sources (third_party/zlib/README.md): without the gzip format, every
# function in a section of its own, the byte loops compiled for speed and
# the rest for size. The test programs also compress and compute CRCs, and
# keep the whole prebuilt library.
if(NOT QV_TESTS)
  set(QV_ZLIB_DIR ${CMAKE_SOURCE_DIR}/third_party/zlib)
  add_library(zlib_inflate STATIC ${QV_ZLIB_DIR}/adler32.c ${QV_ZLIB_DIR}/inffast.c
              ${QV_ZLIB_DIR}/inflate.c ${QV_ZLIB_DIR}/inftrees.c ${QV_ZLIB_DIR}/zutil.c)
  target_include_directories(zlib_inflate PUBLIC ${QV_ZLIB_DIR})
  target_compile_definitions(zlib_inflate PRIVATE NO_GZIP)
  target_compile_options(zlib_inflate PRIVATE -ffunction-sections -fdata-sections)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_compile_options(zlib_inflate PRIVATE -fno-asynchronous-unwind-tables)
  endif()
  set_source_files_properties(${QV_ZLIB_DIR}/inffast.c ${QV_ZLIB_DIR}/adler32.c
                              PROPERTIES COMPILE_OPTIONS -O2)
  target_link_libraries(payload_format PUBLIC zlib_inflate)
else()
  find_library(ZLIB_STATIC NAMES libz.a REQUIRED)
  target_link_libraries(payload_format PUBLIC ${ZLIB_STATIC})
endif()

# Everything of the setup program except its entry point, so that tests can
# link the same code.
file(GLOB QV_SETUP_SOURCES CONFIGURE_DEPENDS
     src/base/*.cpp src/app/*.cpp src/payload/*.cpp src/engine/*.cpp src/wizard/*.cpp
     src/system/*.cpp src/image/*.cpp)
list(REMOVE_ITEM QV_SETUP_SOURCES ${CMAKE_SOURCE_DIR}/src/app/main.cpp
     ${CMAKE_SOURCE_DIR}/src/app/quiet_terminate.cpp
     ${CMAKE_SOURCE_DIR}/src/app/no_tls_callback.cpp
     ${CMAKE_SOURCE_DIR}/src/payload/payload_format.cpp
     ${CMAKE_SOURCE_DIR}/src/payload/entry_names.cpp
     ${CMAKE_SOURCE_DIR}/src/base/utf8_text.cpp)
add_library(setup_core STATIC ${QV_SETUP_SOURCES})
target_include_directories(setup_core PUBLIC src)
target_compile_options(setup_core PRIVATE ${QV_CODE_OPTIONS})
# OEMRESOURCE: the check boxes' pictures of the system (OBM_CHECKBOXES).
target_compile_definitions(setup_core PUBLIC WINVER=0x0500 _WIN32_WINNT=0x0500 _WIN32_IE=0x0501
                           OEMRESOURCE)
# The product's code is compiled as one unit: the compiler then keeps one
# copy of each text and of each inline function the files share, and sees
# every call it could make smaller (18 KB less than a unit per file, whose
# copies the linker of this format cannot merge). The tests build file by
# file, which also keeps any file from leaning on another's includes.
if(NOT QV_TESTS)
  set_target_properties(setup_core PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
endif()
# For the benchmark only: files written straight over their targets instead
# of through a new file moved into place, to tell what the safety costs.
option(QV_WRITE_IN_PLACE "Benchmark build: write files in place, without crash safety" OFF)
if(QV_WRITE_IN_PLACE)
  target_compile_definitions(setup_core PRIVATE QV_WRITE_IN_PLACE)
endif()
target_link_libraries(setup_core PUBLIC payload_format ole32 oleaut32 uuid comctl32 shell32 gdi32
                      user32 kernel32 advapi32)

if(QV_TESTS)
  add_subdirectory(tests)
  return()
endif()

# The stand-in for the installed word processor.
add_executable(kel WIN32 tools/kel/kel.cpp)
# No time stamp in its header: its bytes are part of the payload.
target_link_options(kel PRIVATE ${QV_LINK_OPTIONS} -s -Wl,--no-insert-timestamp)

# The payload: the sample product (generated files plus the stand-in), or a
# release engineer's own product folder given as QV_PRODUCT_DIR (see README).
set(QV_PRODUCT_DIR "" CACHE PATH "Product folder packed into setup.exe; empty for the sample product")
set(QV_PAYLOAD ${CMAKE_BINARY_DIR}/payload/payload.bin)
if(NOT QV_PRODUCT_DIR)
  set(QV_SAMPLE_DIR ${CMAKE_BINARY_DIR}/sample-product)
  add_custom_command(
    OUTPUT ${QV_PAYLOAD}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${QV_SAMPLE_DIR}
    COMMAND ${HOST_BIN}/qvsample ${QV_SAMPLE_DIR}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/payload
    # The stand-in goes in with the sample's release time rather than its
    # build time, and the stamps are read in one zone, so that every machine
    # packs the same payload.
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:kel> ${CMAKE_BINARY_DIR}/payload/kel.exe
    COMMAND touch -d @1715932800 ${CMAKE_BINARY_DIR}/payload/kel.exe
    COMMAND ${CMAKE_COMMAND} -E env TZ=UTC
            ${HOST_BIN}/qvpack ${QV_PAYLOAD} ${QV_SAMPLE_DIR} ${CMAKE_BINARY_DIR}/payload/kel.exe=kel.exe
    DEPENDS kel ${HOST_BIN}/qvsample ${HOST_BIN}/qvpack
    COMMENT "Packing the sample product")
else()
  # Packed on every build: the folder's contents are not tracked by CMake.
  add_custom_command(
    OUTPUT ${QV_PAYLOAD} ${CMAKE_BINARY_DIR}/payload/always
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/payload
    COMMAND ${HOST_BIN}/qvpack ${QV_PAYLOAD} ${QV_PRODUCT_DIR}
    DEPENDS ${HOST_BIN}/qvpack
    COMMENT "Packing ${QV_PRODUCT_DIR}")
endif()
add_custom_target(payload DEPENDS ${QV_PAYLOAD})

if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/setup.manifest)
  file(READ ${CMAKE_SOURCE_DIR}/resources/setup.manifest QV_MANIFEST)
  string(REPLACE "processorArchitecture=\"x86\"" "processorArchitecture=\"amd64\"" QV_MANIFEST "${QV_MANIFEST}")
  file(WRITE ${CMAKE_BINARY_DIR}/payload/setup-amd64.manifest "${QV_MANIFEST}")
endif()
add_executable(setup WIN32 src/app/main.cpp src/app/quiet_terminate.cpp src/app/no_tls_callback.cpp
               resources/setup.rc)
target_link_libraries(setup PRIVATE setup_core)
target_compile_options(setup PRIVATE ${QV_CODE_OPTIONS})
target_link_options(setup PRIVATE ${QV_LINK_OPTIONS} -s)
# The header's time stamp is the sources' date (cmake/source_date.cmake), not
# the time of the link: a real date, and the same bytes from the same sources.
set(QV_SOURCE_DATE ${CMAKE_BINARY_DIR}/source-date)
add_custom_target(source_date
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DOUT=${QV_SOURCE_DATE}
          -P ${CMAKE_SOURCE_DIR}/cmake/source_date.cmake
  BYPRODUCTS ${QV_SOURCE_DATE}
  COMMENT "The sources' date for the program header")
add_dependencies(setup source_date)
set_target_properties(setup PROPERTIES CXX_LINKER_LAUNCHER
                      "${CMAKE_SOURCE_DIR}/cmake/with-source-date;${QV_SOURCE_DATE}")
set_property(TARGET setup APPEND PROPERTY LINK_DEPENDS ${QV_SOURCE_DATE})
# Which object each byte of the program comes from (bench/notes.md).
target_link_options(setup PRIVATE -Wl,-Map=${CMAKE_BINARY_DIR}/bin/setup.map)
# A large product's payload is held twice in memory (packed and inflated):
# on a 64-bit Windows the 32-bit program may then use 4 GB, not 2.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  target_link_options(setup PRIVATE -Wl,--large-address-aware)
endif()
# Fewer and plainer sections than the linker's own layout (see the script);
# the 64-bit build is laid out alike, so that the tests under Wine run it.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(QV_LD_FORMAT pei-i386)
  set(QV_LD_WORD LONG)
else()
  set(QV_LD_FORMAT pei-x86-64)
  set(QV_LD_WORD QUAD)
endif()
set(QV_LD_WORD_SIZE ${CMAKE_SIZEOF_VOID_P})
configure_file(cmake/setup.ld.in ${CMAKE_BINARY_DIR}/setup.ld @ONLY)
target_link_options(setup PRIVATE -Wl,-T,${CMAKE_BINARY_DIR}/setup.ld)
set_property(TARGET setup APPEND PROPERTY LINK_DEPENDS ${CMAKE_BINARY_DIR}/setup.ld)
target_include_directories(setup PRIVATE resources ${CMAKE_BINARY_DIR}/payload)
set_source_files_properties(resources/setup.rc PROPERTIES OBJECT_DEPENDS
  "${QV_PAYLOAD};${CMAKE_SOURCE_DIR}/resources/setup.manifest;${CMAKE_SOURCE_DIR}/resources/app.ico;${CMAKE_SOURCE_DIR}/resources/logo.png;${CMAKE_SOURCE_DIR}/resources/logosmall.png;${CMAKE_SOURCE_DIR}/resources/fixeddrive.bmp;${CMAKE_SOURCE_DIR}/resources/removabledrive.bmp;${CMAKE_SOURCE_DIR}/resources/openfolder.bmp;${CMAKE_SOURCE_DIR}/resources/closedfolder.bmp")
add_dependencies(setup payload)
