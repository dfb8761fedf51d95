# What `cmake --install` puts where, and the two Debian packages CPack makes of it
# (scripts/package.sh builds them, scripts/check-package.sh checks them): tarvikdebug,
# the console with the virtual board, and tarvikctl, the command line companion a CI
# runner installs alone. Only the programs and their data are installed: no tests,
# benchmarks or static libraries. Every file belongs to one of the two components.
include(GNUInstallDirs)

set(TARVIK_CONSOLE console)
set(TARVIK_CTL ctl)
set(TARVIK_DEB_VERSION ${PROJECT_VERSION}-${TARVIK_PACKAGE_REVISION})

set(TARVIK_DATA_DIR ${CMAKE_INSTALL_DATADIR}/tarvikdebug)
set(TARVIK_ICON_SIZES 16 24 32 48 64 128 256)
set(TARVIK_MAN_PAGES tarvikdebug tarvikctl tarvik-boardsim)

install(TARGETS tarvikdebug RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT ${TARVIK_CONSOLE})
install(TARGETS tarvikctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${TARVIK_CTL})

# The virtual board keeps its short name in the build folder, where the tests
# and the README start it; installed, the name says whose board it is.
set(TARVIK_INSTALLED_BOARD tarvik-boardsim)
install(PROGRAMS $<TARGET_FILE:boardsim> DESTINATION ${CMAKE_INSTALL_BINDIR}
        RENAME ${TARVIK_INSTALLED_BOARD} COMPONENT ${TARVIK_CONSOLE})
# install(PROGRAMS) is not stripped with the targets; strip it the same way.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\"
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${TARVIK_INSTALLED_BOARD}\")
  endif()" COMPONENT ${TARVIK_CONSOLE})

# bash-completion loads a command's completion from here the first time it is completed.
install(FILES data/tarvikctl.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tarvikctl
        COMPONENT ${TARVIK_CTL})

# The console finds its panel here, relative to its own bin/ (runtime/panel_loader.cpp).
install(FILES panel/Tarviktest.uir DESTINATION ${TARVIK_DATA_DIR} COMPONENT ${TARVIK_CONSOLE})

install(FILES data/tarvikdebug.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT ${TARVIK_CONSOLE})
set(TARVIK_ICON_THEME ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES data/icons/tarvikdebug.svg DESTINATION ${TARVIK_ICON_THEME}/scalable/apps
        COMPONENT ${TARVIK_CONSOLE})
foreach(size IN LISTS TARVIK_ICON_SIZES)
  install(FILES data/icons/${size}x${size}/tarvikdebug.png
          DESTINATION ${TARVIK_ICON_THEME}/${size}x${size}/apps COMPONENT ${TARVIK_CONSOLE})
endforeach()

# Manual pages get the project version, then are gzipped as Debian wants them:
# -n leaves name and time out, so the same page gives the same bytes. The same for each
# package's copyright file and changelog.
find_program(TARVIK_GZIP gzip REQUIRED)
set(TARVIK_MAN_BUILD_DIR ${CMAKE_BINARY_DIR}/man)
set(TARVIK_DOC_BUILD_DIR ${CMAKE_BINARY_DIR}/debian-doc)
set(compressed_files)
function(tarvik_gzipped source filled)
  configure_file(${source} ${filled} @ONLY)
  add_custom_command(OUTPUT ${filled}.gz
    COMMAND ${TARVIK_GZIP} -9nkf ${filled}
    DEPENDS ${filled}
    COMMENT "Compressing ${filled}"
    VERBATIM)
  set(compressed_files ${compressed_files} ${filled}.gz PARENT_SCOPE)
endfunction()
foreach(page IN LISTS TARVIK_MAN_PAGES)
  tarvik_gzipped(${CMAKE_SOURCE_DIR}/docs/man/${page}.1 ${TARVIK_MAN_BUILD_DIR}/${page}.1)
  set(component ${TARVIK_CONSOLE})
  if(page STREQUAL tarvikctl)
    set(component ${TARVIK_CTL})
  endif()
  install(FILES ${TARVIK_MAN_BUILD_DIR}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT ${component})
endforeach()
tarvik_gzipped(${CMAKE_SOURCE_DIR}/data/debian/changelog ${TARVIK_DOC_BUILD_DIR}/changelog.Debian)
configure_file(data/debian/copyright ${TARVIK_DOC_BUILD_DIR}/copyright @ONLY)
foreach(package IN ITEMS tarvikdebug tarvikctl)
  set(component ${TARVIK_CONSOLE})
  if(package STREQUAL tarvikctl)
    set(component ${TARVIK_CTL})
  endif()
  install(FILES ${TARVIK_DOC_BUILD_DIR}/changelog.Debian.gz ${TARVIK_DOC_BUILD_DIR}/copyright
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()
add_custom_target(tarvik_man_pages ALL DEPENDS ${compressed_files})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvikdebug)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TARVIK_MAINTAINER})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${TARVIK_CONSOLE} ${TARVIK_CTL})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TARVIK_PACKAGE_REVISION})
set(CPACK_DEBIAN_PACKAGE_SOURCE tarvikdebug)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_CONSOLE_PACKAGE_NAME tarvikdebug)
# Qt loads its platform plugins at run time, where dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_CONSOLE_PACKAGE_DEPENDS "qt6-qpa-plugins, tarvikctl (= ${TARVIK_DEB_VERSION})")
set(CPACK_COMPONENT_CONSOLE_DESCRIPTION [=[desktop console for a microcontroller test board on RS-232
Tarvikdebug connects to the test board over an RS-232 port (38400 baud, 8N1)
and, from one window, shows every frame in a serial monitor, reads and writes
registers and blocks of words, calibrates the board's 16 DAC outputs and 16
ADC inputs, reads its temperature and channel currents, and re-flashes its
firmware from an Intel HEX file through the bootloader.
.
The package also holds tarvik-boardsim, a virtual board on a pseudo-terminal
that speaks the same protocols, for use without hardware.]=])

set(CPACK_DEBIAN_CTL_PACKAGE_NAME tarvikctl)
# 1.0.14 shipped /usr/bin/tarvikctl inside tarvikdebug: taking it over needs both.
set(CPACK_DEBIAN_CTL_PACKAGE_BREAKS "tarvikdebug (<< ${TARVIK_DEB_VERSION})")
set(CPACK_DEBIAN_CTL_PACKAGE_REPLACES "tarvikdebug (<< ${TARVIK_DEB_VERSION})")
set(CPACK_COMPONENT_CTL_DESCRIPTION [=[command line companion of a microcontroller test board console
tarvikctl runs one of the Tarvikdebug console's commands against the test
board on an RS-232 port and exits: register and block reads and writes,
temperature and currents, DAC and ADC calibration, calibrated outputs and a
firmware upgrade through the bootloader, with exit statuses and JSON output
for scripts and CI runners on real hardware. It needs no display.]=])

include(CPack)
