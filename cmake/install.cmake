# Installation (cmake --install) and the Debian package (cpack -G DEB).
# Only the program, the two tools of its family and the desktop files are
# installed; tests and benchmarks never are.
include(GNUInstallDirs)

set(VELMORA_DATA ${PROJECT_SOURCE_DIR}/data)

install(TARGETS uPVelmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(tool uPCorvane slotsend)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# The desktop menu's launcher finds the starter file (under share/, never
# only under share/doc/, which systems may strip) and its message box
# relative to itself, so that it works wherever the tree is unpacked.
set(VELMORA_STARTER_DIR ${CMAKE_INSTALL_DATADIR}/uPVelmora)
set(VELMORA_NOTICE_DIR ${CMAKE_INSTALL_LIBEXECDIR}/uPVelmora)
file(RELATIVE_PATH VELMORA_STARTER_FROM_BIN
  ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${VELMORA_STARTER_DIR}/uPVelmora.conf)
file(RELATIVE_PATH VELMORA_NOTICE_FROM_BIN
  ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${VELMORA_NOTICE_DIR}/uPVelmora-notice)
configure_file(${VELMORA_DATA}/uPVelmora-start.in ${PROJECT_BINARY_DIR}/uPVelmora-start @ONLY)
install(PROGRAMS ${PROJECT_BINARY_DIR}/uPVelmora-start DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS uPVelmora-notice RUNTIME DESTINATION ${VELMORA_NOTICE_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/examples/uPVelmora.conf DESTINATION ${VELMORA_STARTER_DIR})

install(DIRECTORY ${VELMORA_DATA}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${VELMORA_DATA}/icons/uPVelmora.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${VELMORA_DATA}/uPVelmora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# AppStream wants the metainfo named after the component id.
file(READ ${VELMORA_DATA}/uPVelmora.metainfo.xml VELMORA_METAINFO)
string(REGEX MATCH "<id>([^<]+)</id>" _ "${VELMORA_METAINFO}")
install(FILES ${VELMORA_DATA}/uPVelmora.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
  RENAME ${CMAKE_MATCH_1}.metainfo.xml)
install(FILES ${PROJECT_SOURCE_DIR}/examples/uPVelmora.conf ${VELMORA_DATA}/doc/README
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Debian package uPVelmora_<version>_<arch>.deb.  Debian package names are
# lower case, so the package itself is "upvelmora".
find_program(DPKG_EXECUTABLE dpkg)
if(DPKG_EXECUTABLE)
  execute_process(COMMAND ${DPKG_EXECUTABLE} --print-architecture
    OUTPUT_VARIABLE VELMORA_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE)
else()
  set(VELMORA_DEB_ARCH amd64)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME uPVelmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "uPVelmora maintainers")
set(CPACK_PACKAGE_CONTACT "uPVelmora maintainers <maintainers@users.noreply.c-seed-a46d3545.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Japanese desktop utility that announces scheduled messages")
set(CPACK_PACKAGE_DESCRIPTION
  "ｳﾞｪﾙﾓﾗ (uPVelmora) keeps two lists of short messages, ready-made messages
and messages scheduled for a date and minute, announces each scheduled message
at its minute in a pop-up with a beep, and forwards it to the companion
recorder. The package also holds the stand-in recorder uPCorvane and
slotsend, which sends the close command to a running program.
Its texts are Japanese.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME upvelmora)
set(CPACK_DEBIAN_FILE_NAME "${CPACK_PACKAGE_NAME}_${CPACK_PACKAGE_VERSION}_${VELMORA_DEB_ARCH}.deb")
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${VELMORA_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the forms need a Japanese Gothic face.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
