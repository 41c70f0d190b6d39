# The Windows programs, built when a Qt for Windows is found on CMAKE_FIND_ROOT_PATH
# (scripts/qt-mingw.sh builds one): the document library, kalyxprn.exe, the window
# kalyxprntool.exe, their tests under wine, the portable bundle (cpack writes
# kalyx-<version>-win64.zip), which also holds the simulator kalyxsim.exe (TCP only), and the
# installer of the same files (target "installer": package/kalyx-<version>-win64-installer.exe).
enable_language(RC)

add_subdirectory(document)
add_subdirectory(app)
# Card designs (drawing them needs zint and QtSvg: scripts/windows-libs.sh) and batch journals.
add_subdirectory(carddesign)
add_subdirectory(carddesign/journal)
add_subdirectory(tools/printercheck)
add_subdirectory(tools/kalyxprn)

# A window program (no console of its own) with the icon in its resources.
set(KALYX_WINDOW_RC ${CMAKE_BINARY_DIR}/kalyxprntool.rc)
file(WRITE ${KALYX_WINDOW_RC} "IDI_ICON1 ICON \"${PROJECT_SOURCE_DIR}/app/resources/orvane.ico\"\n")
set_target_properties(kalyxprntool PROPERTIES WIN32_EXECUTABLE ON)
target_sources(kalyxprntool PRIVATE ${KALYX_WINDOW_RC})

# Qt's DLLs need the shared mingw runtime beside them.
set(KALYX_MINGW_RUNTIME "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
    message(FATAL_ERROR "${dll} not found by ${CMAKE_CXX_COMPILER}")
  endif()
  list(APPEND KALYX_MINGW_RUNTIME ${found})
endforeach()
get_filename_component(KALYX_QT_PREFIX "${Qt5_DIR}/../../.." ABSOLUTE)

# Programs started from the build folder (tests under wine) find the plugins through this
# qt.conf: wine passes no QT_* variable on to Windows programs.
file(WRITE ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/qt.conf
     "[Paths]\nPrefix=Z:${KALYX_QT_PREFIX}\n")

# The bundle: one folder, unzip and run. qt.conf makes Qt look beside the programs only.
set(bundle_files
  $<TARGET_FILE:kalyxprntool> $<TARGET_FILE:kalyxprn> $<TARGET_FILE:kalyxsim>
  $<TARGET_FILE:kalyxcomms>
  $<TARGET_FILE:Qt5::Core> $<TARGET_FILE:Qt5::Gui> $<TARGET_FILE:Qt5::Widgets>
  ${KALYX_MINGW_RUNTIME}
  ${PROJECT_SOURCE_DIR}/app/resources/orvane.ico
  ${PROJECT_SOURCE_DIR}/packaging/windows/README-windows.txt
  ${PROJECT_SOURCE_DIR}/packaging/windows/LICENSE.txt
  ${PROJECT_SOURCE_DIR}/packaging/windows/kalyx-prompt.cmd
  ${PROJECT_SOURCE_DIR}/packaging/windows/qt.conf)
if(TARGET Qt5::Svg)
  list(APPEND bundle_files $<TARGET_FILE:Qt5::Svg>)
endif()
install(FILES ${bundle_files} DESTINATION . COMPONENT bundle)
install(FILES ${KALYX_QT_PREFIX}/plugins/platforms/qwindows.dll DESTINATION platforms
        COMPONENT bundle)
install(DIRECTORY ${KALYX_QT_PREFIX}/plugins/imageformats ${KALYX_QT_PREFIX}/plugins/styles
        DESTINATION . COMPONENT bundle FILES_MATCHING PATTERN "*.dll")
# Debug information stays in the build folder (it triples the bundle's size).
install(CODE "
  file(GLOB_RECURSE binaries \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.exe\"
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.dll\")
  foreach(binary \${binaries})
    execute_process(COMMAND ${CMAKE_STRIP} --strip-debug \${binary} RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR \"could not strip \${binary}\")
    endif()
  endforeach()" COMPONENT bundle)

# The installer: the bundle's files as programs, the library's package as developer files.
find_program(KALYX_MAKENSIS makensis)
if(KALYX_MAKENSIS)
  set(stage ${CMAKE_BINARY_DIR}/installer-stage)
  add_custom_target(installer
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --component bundle
            --prefix ${stage}/programs
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --component kalyxcomms
            --prefix ${stage}/sdk --strip
    COMMAND ${CMAKE_COMMAND} -DSTAGE=${stage} -DVERSION=${PROJECT_VERSION}
            -DOUTPUT=${CMAKE_BINARY_DIR}/package/kalyx-${PROJECT_VERSION}-win64-installer.exe
            -DSOURCE_DIR=${PROJECT_SOURCE_DIR}/packaging/windows
            -DICON=${PROJECT_SOURCE_DIR}/app/resources/orvane.ico -DMAKENSIS=${KALYX_MAKENSIS}
            -P ${PROJECT_SOURCE_DIR}/cmake/WindowsInstaller.cmake
    DEPENDS kalyxprntool kalyxprn kalyxsim kalyxcomms
    VERBATIM)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME kalyx)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME kalyx-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};kalyx;bundle;/")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
