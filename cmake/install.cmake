# Installation (cmake --install) and the Debian packages (cpack -G DEB).
#   component "program": the program, its launcher, the command tool
#     uPVelmora-ctl, the desktop files, the starter file, man pages and docs
#     (package upvelmora); a plain
#     cmake --install installs this alone;
#   component "tools": the stand-in recorder uPCorvane and slotsend, for
#     tests and demonstrations (package upvelmora-tools), installed only when
#     asked for: cmake --install BUILD --component tools.
# Tests and benchmarks are never installed.
include(GNUInstallDirs)

set(VELMORA_DATA ${PROJECT_SOURCE_DIR}/data)
set(VELMORA_DOC_PROGRAM ${CMAKE_INSTALL_DATADIR}/doc/upvelmora)
set(VELMORA_DOC_TOOLS ${CMAKE_INSTALL_DATADIR}/doc/upvelmora-tools)
set(VELMORA_MAN1 ${CMAKE_INSTALL_MANDIR}/man1)

install(TARGETS uPVelmora uPVelmora-ctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
install(TARGETS uPCorvane slotsend RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools EXCLUDE_FROM_ALL)

# Man pages and the Debian changelog, compressed as Debian wants them
# (gzip -9n: no name, no time stamp, so the bytes are reproducible).
find_program(VELMORA_GZIP gzip)
set(VELMORA_GZIPPED "")
foreach(src data/man/uPVelmora.1 data/man/uPVelmora-start.1 data/man/uPVelmora-ctl.1 data/man/uPCorvane.1
            data/man/slotsend.1 data/debian/changelog)
  get_filename_component(name ${src} NAME)
  if(name STREQUAL "changelog")
    set(name changelog.Debian)
  endif()
  set(out ${PROJECT_BINARY_DIR}/gz/${name}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/gz
    COMMAND ${VELMORA_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/${src} > ${out}
    DEPENDS ${PROJECT_SOURCE_DIR}/${src} VERBATIM)
  list(APPEND VELMORA_GZIPPED ${out})
endforeach()
add_custom_target(velmora_gzipped ALL DEPENDS ${VELMORA_GZIPPED})
install(FILES ${PROJECT_BINARY_DIR}/gz/uPVelmora.1.gz ${PROJECT_BINARY_DIR}/gz/uPVelmora-start.1.gz
  ${PROJECT_BINARY_DIR}/gz/uPVelmora-ctl.1.gz DESTINATION ${VELMORA_MAN1} COMPONENT program)
install(FILES ${PROJECT_BINARY_DIR}/gz/uPCorvane.1.gz ${PROJECT_BINARY_DIR}/gz/slotsend.1.gz
  DESTINATION ${VELMORA_MAN1} COMPONENT tools EXCLUDE_FROM_ALL)
install(FILES ${VELMORA_DATA}/debian/copyright ${PROJECT_BINARY_DIR}/gz/changelog.Debian.gz
  DESTINATION ${VELMORA_DOC_PROGRAM} COMPONENT program)
install(FILES ${VELMORA_DATA}/debian/copyright ${PROJECT_BINARY_DIR}/gz/changelog.Debian.gz
  DESTINATION ${VELMORA_DOC_TOOLS} COMPONENT tools EXCLUDE_FROM_ALL)
# What lintian says of these packages that does not apply to them, and why.
install(FILES ${VELMORA_DATA}/debian/upvelmora.lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME upvelmora COMPONENT program)
install(FILES ${VELMORA_DATA}/debian/upvelmora-tools.lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME upvelmora-tools COMPONENT tools EXCLUDE_FROM_ALL)


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
install(PROGRAMS ${PROJECT_BINARY_DIR}/uPVelmora-start DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
install(TARGETS uPVelmora-notice RUNTIME DESTINATION ${VELMORA_NOTICE_DIR} COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/examples/uPVelmora.conf DESTINATION ${VELMORA_STARTER_DIR} COMPONENT program)

install(DIRECTORY ${VELMORA_DATA}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons COMPONENT program)
install(FILES ${VELMORA_DATA}/icons/uPVelmora.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT program)
install(FILES ${VELMORA_DATA}/uPVelmora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT program)
# AppStream wants the metainfo named after the component id.
file(READ ${VELMORA_DATA}/uPVelmora.metainfo.xml VELMORA_METAINFO)
string(REGEX MATCH "<id>([^<]+)</id>" _ "${VELMORA_METAINFO}")
install(FILES ${VELMORA_DATA}/uPVelmora.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
  RENAME ${CMAKE_MATCH_1}.metainfo.xml COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/examples/uPVelmora.conf ${VELMORA_DATA}/doc/README
  DESTINATION ${VELMORA_DOC_PROGRAM} COMPONENT program)

# No compiler notes in the installed programs (.comment), as Debian's own
# packages have none.  Last, once every program is in place.
find_program(VELMORA_OBJCOPY objcopy)
if(VELMORA_OBJCOPY)
  foreach(exe uPVelmora uPVelmora-ctl uPVelmora-notice uPCorvane slotsend)
    if(exe STREQUAL "uPVelmora-notice")
      set(dest ${CMAKE_INSTALL_LIBEXECDIR}/uPVelmora)
    else()
      set(dest ${CMAKE_INSTALL_BINDIR})
    endif()
    if(exe MATCHES "uPCorvane|slotsend")
      set(comp tools EXCLUDE_FROM_ALL)
    else()
      set(comp program)
    endif()
    install(CODE "
      set(f \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${dest}/${exe}\")
      if(EXISTS \"\${f}\")
        execute_process(COMMAND \"${VELMORA_OBJCOPY}\" --remove-section=.comment \"\${f}\")
      endif()" COMPONENT ${comp})
  endforeach()
endif()

# Debian packages, one per component: upvelmora_<version>_<arch>.deb and
# upvelmora-tools_<version>_<arch>.deb (Debian package names are lower case).
find_program(DPKG_EXECUTABLE dpkg)
if(DPKG_EXECUTABLE)
  execute_process(COMMAND ${DPKG_EXECUTABLE} --print-architecture
    OUTPUT_VARIABLE VELMORA_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE)
else()
  set(VELMORA_DEB_ARCH amd64)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME upvelmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# A Debian revision: the packaging is Debian's own layer over the program,
# whose changelog is changelog.Debian.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SOURCE upvelmora)
set(CPACK_PACKAGE_VENDOR "uPVelmora maintainers")
set(CPACK_PACKAGE_CONTACT "uPVelmora maintainers <maintainers@users.noreply.c-seed-a46d3545.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL program tools)
set(CPACK_COMPONENTS_GROUPING IGNORE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${VELMORA_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME upvelmora)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION utils)
# The forms need a Japanese Gothic face.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-noto-cjk")
set(CPACK_COMPONENT_PROGRAM_DESCRIPTION "Japanese desktop utility that announces scheduled messages
ｳﾞｪﾙﾓﾗ (uPVelmora) keeps two lists of short messages, ready-made messages
and messages scheduled for a date and minute, announces each scheduled
message at its minute in a pop-up with a beep, and forwards it to the
companion recorder. Its texts are Japanese. With uPVelmora-ctl, scripts
add, list and remove scheduled messages of the running program and import
or export its schedule as CSV.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME upvelmora-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION devel)
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "stand-in recorder and mailslot sender for testing uPVelmora
uPCorvane is a stand-in for testing and demonstrations: it is not the
recorder that uPVelmora forwards its announcements to, but the program
takes it for that recorder while it runs. slotsend sends the close command
(or another record) to a mailslot of the uPVelmora family.")

include(CPack)
