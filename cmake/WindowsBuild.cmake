# The Windows build: kalyxcomms.dll with its import library, headers and CMake package, its tests
# (run under wine by ctest) and its benchmarks, and kalyxsim.exe (the simulator, TCP only); with a
# Qt for Windows also the programs. Debian
# ships neither pugixml nor Google Benchmark for mingw, so their sources come from Debian's source
# packages (scripts/windows.sh fetches them) and are compiled here; GoogleTest comes from
# /usr/src/googletest.
set(KALYX_PUGIXML_SOURCE_DIR "" CACHE PATH "Unpacked pugixml source package (holds src/pugixml.cpp)")
set(KALYX_BENCHMARK_SOURCE_DIR "" CACHE PATH "Unpacked Google Benchmark source package")
set(KALYX_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(KALYX_ZINT_PREFIX "" CACHE PATH "zint cross-built for Windows (scripts/windows-libs.sh)")

if(NOT EXISTS ${KALYX_PUGIXML_SOURCE_DIR}/src/pugixml.cpp)
  message(FATAL_ERROR "Set KALYX_PUGIXML_SOURCE_DIR to pugixml's source (scripts/windows.sh does)")
endif()

add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# One folder for the DLL and every program, so the programs find the DLL when wine runs them.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
find_package(Threads REQUIRED)

add_library(pugixml_static STATIC ${KALYX_PUGIXML_SOURCE_DIR}/src/pugixml.cpp)
target_include_directories(pugixml_static SYSTEM PUBLIC ${KALYX_PUGIXML_SOURCE_DIR}/src)
target_compile_options(pugixml_static PRIVATE -w)
add_library(pugixml::pugixml ALIAS pugixml_static)

# Barcodes for the card designs: the static zint of scripts/windows-libs.sh.
if(EXISTS ${KALYX_ZINT_PREFIX}/lib/libzint-static.a)
  add_library(zint::zint STATIC IMPORTED)
  set_target_properties(zint::zint PROPERTIES
    IMPORTED_LOCATION ${KALYX_ZINT_PREFIX}/lib/libzint-static.a
    INTERFACE_INCLUDE_DIRECTORIES ${KALYX_ZINT_PREFIX}/include)
endif()

add_subdirectory(prnformat)
add_subdirectory(kalyxcomms)
add_subdirectory(tools/kalyxsim)

# The programs and the window need a Qt for Windows (see cmake/WindowsPrograms.cmake).
find_package(Qt5 5.15 QUIET COMPONENTS Core Gui Widgets Test OPTIONAL_COMPONENTS Svg)
if(Qt5_FOUND)
  include(cmake/WindowsPrograms.cmake)
else()
  message(STATUS "No Qt for Windows on CMAKE_FIND_ROOT_PATH: the library only")
endif()

if(KALYX_BUILD_TESTS)
  enable_testing()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${KALYX_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main)
    if(NOT TARGET GTest::${t})
      add_library(GTest::${t} ALIAS ${t})
    endif()
  endforeach()
  if(TARGET kalyxprntool_core)
    add_subdirectory(tests/support)
    add_subdirectory(tests/gui)
  endif()
  add_subdirectory(tests/win32)
endif()

# The benchmarks share the tests' pipe printer, so they need the tests too.
if(KALYX_BUILD_TESTS AND KALYX_BUILD_BENCHMARKS AND EXISTS ${KALYX_BENCHMARK_SOURCE_DIR}/CMakeLists.txt)
  set(BENCHMARK_ENABLE_TESTING OFF CACHE BOOL "" FORCE)
  set(BENCHMARK_ENABLE_INSTALL OFF CACHE BOOL "" FORCE)
  set(BENCHMARK_ENABLE_WERROR OFF CACHE BOOL "" FORCE)
  set(BENCHMARK_ENABLE_GTEST_TESTS OFF CACHE BOOL "" FORCE)
  set(GIT_VERSION 0.0.0) # the unpacked source is no git checkout: take its project() version
  add_subdirectory(${KALYX_BENCHMARK_SOURCE_DIR} ${CMAKE_BINARY_DIR}/benchmark EXCLUDE_FROM_ALL)
  add_subdirectory(bench/comms)
  add_subdirectory(bench/win32)
  # With the programs: loading and drawing a job, and the window, as on Linux.
  if(TARGET kalyxdocument)
    add_subdirectory(bench/document)
    add_subdirectory(bench/gui)
  endif()
endif()
