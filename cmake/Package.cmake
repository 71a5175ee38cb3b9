# Installing Vandoret and packing it: `cmake --install` and `cpack`.
#
# Linux (GNU layout below the prefix, /usr in the .deb):
#   bin/Vandoret                                    the program (its file name is its title)
#   share/vandoret/sounds/Audio-*.wav               the signal sounds, found as ../share/vandoret/sounds/
#   share/applications/example.kronvale.Vandoret.desktop
#   share/metainfo/example.kronvale.Vandoret.metainfo.xml
#   share/icons/hicolor/<n>x<n>/apps/vandoret.png, share/icons/hicolor/scalable/apps/vandoret.svg
#   share/doc/vandoret/DSEG-LICENSE.txt             the display font's licence
#   share/doc/vandoret/copyright                    both licences in Debian's machine-readable format
#   share/doc/vandoret/changelog.gz, changelog.Debian.gz   CHANGELOG.md and the package's changelog
#   share/man/man1/Vandoret.1.gz                    the manual page
#   share/doc/vandoret/examples/60-vandoret-usb-latency.rules   a udev rule: USB adapters' latency 1 ms
# The help pages stay embedded in the program. `cpack` builds vandoret_<version>-<revision>_<arch>.deb.
#
# Windows (one folder, packed as a ZIP): Vandoret.exe with the sounds and the help file
# Vandoret.chm beside it, the Qt libraries, plugins and translations windeployqt puts there, and
# licenses/DSEG-LICENSE.txt.
include(GNUInstallDirs)

set(VANDORET_APP_ID example.kronvale.Vandoret)
set(VANDORET_LINUX_DIR ${PROJECT_SOURCE_DIR}/resources/linux)
file(GLOB VANDORET_SOUNDS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/sounds/*.wav)

if(WIN32)
  set(VANDORET_BIN_DIR .)
  set(VANDORET_SOUND_DIR .)
  set(VANDORET_LICENSE_DIR licenses)
else()
  set(VANDORET_BIN_DIR ${CMAKE_INSTALL_BINDIR})
  set(VANDORET_SOUND_DIR ${CMAKE_INSTALL_DATADIR}/vandoret/sounds)
  set(VANDORET_LICENSE_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/vandoret)
  # The program looks for its sounds at a fixed place relative to its own folder (timing/SoundFiles.h).
  file(RELATIVE_PATH sounds_from_bin /p/${VANDORET_BIN_DIR} /p/${VANDORET_SOUND_DIR})
  if(NOT sounds_from_bin STREQUAL "../share/vandoret/sounds")
    message(FATAL_ERROR "The program finds its sounds in ../share/vandoret/sounds from its folder; "
                        "CMAKE_INSTALL_BINDIR and CMAKE_INSTALL_DATADIR give ${sounds_from_bin}")
  endif()
endif()

install(TARGETS Vandoret RUNTIME DESTINATION ${VANDORET_BIN_DIR})
if(NOT WIN32 AND CMAKE_OBJCOPY)
  # The compiler's name and version in the program say nothing to its user (Debian removes them too).
  install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VANDORET_BIN_DIR}/$<TARGET_FILE_NAME:Vandoret>\")")
endif()
install(FILES ${VANDORET_SOUNDS} DESTINATION ${VANDORET_SOUND_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/fonts/DSEG-LICENSE.txt DESTINATION ${VANDORET_LICENSE_DIR})

if(NOT WIN32)
  # Desktop entry, icons in the hicolor theme and the AppStream description.
  install(FILES ${VANDORET_LINUX_DIR}/${VANDORET_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  foreach(size 16 32 48 64 128 256)
    install(FILES ${VANDORET_LINUX_DIR}/icons/vandoret-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME vandoret.png)
  endforeach()
  install(FILES ${VANDORET_LINUX_DIR}/icons/vandoret.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  string(REGEX REPLACE "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$" "\\3-\\2-\\1" VANDORET_RELEASE_DATE_ISO "${VANDORET_RELEASE_DATE}")
  configure_file(${VANDORET_LINUX_DIR}/${VANDORET_APP_ID}.metainfo.xml
                 ${PROJECT_BINARY_DIR}/${VANDORET_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${VANDORET_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The package's own revision of this version, and the date of its changelog entry: both raised
  # with each new package of the same version (1.5-1, 1.5-2, ...).
  set(VANDORET_DEB_REVISION 1)
  set(VANDORET_DEB_VERSION ${PROJECT_VERSION}-${VANDORET_DEB_REVISION})
  set(VANDORET_DEB_DATE "Wed, 09 Dec 2026 12:00:00 +0000")
  # The copyright file: the program's paragraph, then the font's own from its licence file (which
  # is in the same format) under the font's folder.
  file(READ ${PROJECT_SOURCE_DIR}/resources/fonts/DSEG-LICENSE.txt font_copyright)
  string(REGEX REPLACE "^.*\nFiles: \*\n" "Files: resources/fonts/*\n" font_copyright "${font_copyright}")
  string(STRIP "${font_copyright}" VANDORET_FONT_COPYRIGHT)
  set(doc_stage ${PROJECT_BINARY_DIR}/debian-doc)
  configure_file(${VANDORET_LINUX_DIR}/copyright.in ${doc_stage}/copyright @ONLY)
  configure_file(${VANDORET_LINUX_DIR}/changelog.Debian.in ${doc_stage}/changelog.Debian @ONLY)
  configure_file(${VANDORET_LINUX_DIR}/Vandoret.1 ${doc_stage}/Vandoret.1 @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/CHANGELOG.md ${doc_stage}/changelog COPYONLY)
  # Compressed as Debian wants them: the most, and without a time stamp or name inside.
  set(compressed)
  foreach(doc changelog changelog.Debian Vandoret.1)
    add_custom_command(OUTPUT ${doc_stage}/${doc}.gz
                       COMMAND gzip -9nf -k ${doc_stage}/${doc}
                       DEPENDS ${doc_stage}/${doc} VERBATIM)
    list(APPEND compressed ${doc_stage}/${doc}.gz)
  endforeach()
  add_custom_target(vandoret_package_docs ALL DEPENDS ${compressed})
  install(FILES ${doc_stage}/copyright ${doc_stage}/changelog.gz ${doc_stage}/changelog.Debian.gz
          DESTINATION ${VANDORET_LICENSE_DIR})
  install(FILES ${doc_stage}/Vandoret.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # An example udev rule for the USB adapters' latency timer (README, "Serial ports"); not active
  # until the administrator copies it to /etc/udev/rules.d.
  install(FILES ${VANDORET_LINUX_DIR}/60-vandoret-usb-latency.rules DESTINATION ${VANDORET_LICENSE_DIR}/examples)
  # German words in the program that a spelling check takes for English mistakes.
  install(FILES ${VANDORET_LINUX_DIR}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
          RENAME vandoret)
endif()

if(WIN32)
  # The help file beside the program: the HTML pages compiled by HTML Help Workshop (hhc.exe).
  find_program(VANDORET_HHC hhc PATHS "C:/Program Files (x86)/HTML Help Workshop" "C:/Program Files/HTML Help Workshop")
  if(VANDORET_HHC)
    file(GLOB help_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/help/*.html)
    set(chm ${PROJECT_BINARY_DIR}/help-chm/Vandoret.chm)
    add_custom_command(
      OUTPUT ${chm}
      COMMAND ${CMAKE_COMMAND} -DHHC=${VANDORET_HHC} -DSOURCE=${PROJECT_SOURCE_DIR}/resources/help
              -DSTAGE=${PROJECT_BINARY_DIR}/help-chm/stage -DOUTPUT=${chm} -P ${PROJECT_SOURCE_DIR}/cmake/CompileHelp.cmake
      DEPENDS ${help_pages} ${PROJECT_SOURCE_DIR}/resources/help/Vandoret.hhp
              ${PROJECT_SOURCE_DIR}/resources/help/Vandoret.hhc ${PROJECT_SOURCE_DIR}/cmake/CompileHelp.cmake
      COMMENT "Compiling the help file Vandoret.chm")
    # Also beside the program in the build folder, where F1 looks for it.
    add_custom_target(vandoret_help ALL DEPENDS ${chm}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${chm} $<TARGET_FILE_DIR:Vandoret>/Vandoret.chm)
    add_dependencies(vandoret_help Vandoret)
    install(FILES ${chm} DESTINATION ${VANDORET_BIN_DIR})
  else()
    message(WARNING "hhc.exe (HTML Help Workshop) not found: no Vandoret.chm, F1 will show nothing")
  endif()

  # The compiler's runtime beside the program: MSVC's DLLs from CMake, MinGW's from windeployqt.
  set(runtime_option --compiler-runtime)
  if(MSVC)
    set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION ${VANDORET_BIN_DIR})
    include(InstallRequiredSystemLibraries)
    set(runtime_option --no-compiler-runtime)
  endif()
  # The Qt libraries, plugins (platform, multimedia, print support) and translations beside the program.
  get_target_property(qmake_location Qt6::qmake IMPORTED_LOCATION)
  get_filename_component(qt_bin_dir "${qmake_location}" DIRECTORY)
  find_program(VANDORET_WINDEPLOYQT windeployqt HINTS "${qt_bin_dir}" REQUIRED)
  install(CODE "
    set(dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VANDORET_BIN_DIR}\")
    execute_process(
      COMMAND \"${VANDORET_WINDEPLOYQT}\" $<IF:$<CONFIG:Debug>,--debug,--release> ${runtime_option}
              --no-system-d3d-compiler --no-opengl-sw --dir \"\${dir}\" \"\${dir}/$<TARGET_FILE_NAME:Vandoret>\"
      RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR \"windeployqt failed (\${result})\")
    endif()")
endif()

# The packages.
set(CPACK_PACKAGE_NAME vandoret)
set(CPACK_PACKAGE_VENDOR Kronvale)
set(CPACK_PACKAGE_CONTACT "Kronvale <info@kronvale.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Timing for the cross-country phase of eventing")
# Lines of at most 79 characters: Debian shows the description as it stands.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Vandoret times the cross-country phase of eventing competitions: one\n"
       "operator, one window. It counts down to each rider's planned start, takes\n"
       "starts and finishes by key, by mouse, by a light barrier and start contacts\n"
       "on a serial port, or automatically, and computes ride times, time penalties\n"
       "and places, saved as text and published as a web page on the local network.\n"
       "Every start and finish is written to a journal as it happens, so a crash\n"
       "loses no recorded time. The program's texts are German.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.kronvale.example")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME Vandoret-${PROJECT_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # vandoret_1.5-1_amd64.deb
  set(CPACK_DEBIAN_PACKAGE_RELEASE ${VANDORET_DEB_REVISION})
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # German button texts in Qt's own dialogs.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
endif()
include(CPack)
