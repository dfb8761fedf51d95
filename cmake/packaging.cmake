# What `cmake --install` puts where, and the Debian package CPack makes of it
# (scripts/package.sh builds it, scripts/check-package.sh checks it). Only the
# two programs and their data are installed: no tests, benchmarks or static
# libraries.
include(GNUInstallDirs)

set(TARVIK_DATA_DIR ${CMAKE_INSTALL_DATADIR}/tarvikdebug)
set(TARVIK_ICON_SIZES 16 24 32 48 64 128 256)
set(TARVIK_MAN_PAGES tarvikdebug tarvikctl tarvik-boardsim)

install(TARGETS tarvikdebug tarvikctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The virtual board keeps its short name in the build folder, where the tests
# and the README start it; installed, the name says whose board it is.
set(TARVIK_INSTALLED_BOARD tarvik-boardsim)
install(PROGRAMS $<TARGET_FILE:boardsim> DESTINATION ${CMAKE_INSTALL_BINDIR}
        RENAME ${TARVIK_INSTALLED_BOARD})
# install(PROGRAMS) is not stripped with the targets; strip it the same way.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\"
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${TARVIK_INSTALLED_BOARD}\")
  endif()")

# The console finds its panel here, relative to its own bin/ (runtime/panel_loader.cpp).
install(FILES panel/Tarviktest.uir DESTINATION ${TARVIK_DATA_DIR})

install(FILES data/tarvikdebug.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
set(TARVIK_ICON_THEME ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES data/icons/tarvikdebug.svg DESTINATION ${TARVIK_ICON_THEME}/scalable/apps)
foreach(size IN LISTS TARVIK_ICON_SIZES)
  install(FILES data/icons/${size}x${size}/tarvikdebug.png
          DESTINATION ${TARVIK_ICON_THEME}/${size}x${size}/apps)
endforeach()

# Manual pages get the project version, then are gzipped as Debian wants them:
# -n leaves name and time out, so the same page gives the same bytes.
find_program(TARVIK_GZIP gzip REQUIRED)
set(TARVIK_MAN_BUILD_DIR ${CMAKE_BINARY_DIR}/man)
set(compressed_pages)
foreach(page IN LISTS TARVIK_MAN_PAGES)
  set(source ${CMAKE_SOURCE_DIR}/docs/man/${page}.1)
  set(filled ${TARVIK_MAN_BUILD_DIR}/${page}.1)
  configure_file(${source} ${filled} @ONLY)
  add_custom_command(OUTPUT ${filled}.gz
    COMMAND ${TARVIK_GZIP} -9nkf ${filled}
    DEPENDS ${filled}
    COMMENT "Compressing the manual page ${page}(1)"
    VERBATIM)
  list(APPEND compressed_pages ${filled}.gz)
endforeach()
add_custom_target(tarvik_man_pages ALL DEPENDS ${compressed_pages})
install(FILES ${compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvikdebug)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tarvikdebug maintainers <tarvikdebug@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop console for a microcontroller test board on RS-232")
set(CPACK_PACKAGE_DESCRIPTION [=[
Tarvikdebug connects to the test board over an RS-232 port (38400 baud, 8N1)
and, from one window, shows every frame in a serial monitor, reads and writes
registers and blocks of words, calibrates the board's 16 DAC outputs and 16
ADC inputs, reads its temperature and channel currents, and re-flashes its
firmware from an Intel HEX file through the bootloader.

The package also holds tarvikctl, the same commands from a command line for
scripts and CI on real hardware, and tarvik-boardsim, a virtual board on a
pseudo-terminal that speaks the same protocols, for use without hardware.]=])
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its platform plugins at run time, where dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
