# Installation, the desktop entry and icons, the Debian package, and the
# Windows icon resource. Included after the executables are defined.

include(GNUInstallDirs)

set(prozvonka_programs prozvonka)
if(TARGET prozvonka-demo)
  list(APPEND prozvonka_programs prozvonka-demo)
endif()

install(TARGETS ${prozvonka_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(WIN32)
  # The executable's own icon in Explorer and the taskbar; Qt's window icon
  # comes from resources.qrc.
  enable_language(RC)
  foreach(program IN LISTS prozvonka_programs)
    target_sources(${program} PRIVATE ${PROJECT_SOURCE_DIR}/resources/prozvonka.rc)
  endforeach()
elseif(UNIX AND NOT APPLE)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/prozvonka.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  foreach(size IN ITEMS 16 32 48 128)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/prozvonka-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME prozvonka.png)
  endforeach()
endif()

set(CPACK_PACKAGE_NAME prozvonka)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "Prozvonka developers <prozvonka@example.org>"
    CACHE STRING "Maintainer written into the packages")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Steps an external cable tester through the conductors of a multi-conductor
cable over the modem control lines of a serial port, shows each conductor
that rings through in large red digits and speaks its number from a WAV
clip (N.wav in the current directory).")

# dpkg-shlibdeps (package dpkg-dev) reads the libraries the binaries really
# link; without it the same list is declared by hand.
find_program(DPKG_SHLIBDEPS_EXECUTABLE dpkg-shlibdeps)
if(DPKG_SHLIBDEPS_EXECUTABLE)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libqt6core6, libqt6gui6, libqt6widgets6, libqt6serialport6, libsdl2-2.0-0, libsndfile1, libstdc++6, libc6")
endif()

if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()

include(CPack)
