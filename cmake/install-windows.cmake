# Installation on Windows: one folder, as Windows programs ship, holding the
# programs (the program, its Start-menu launcher and the command tool
# uPVelmora-ctl.exe), exactly the DLLs they need (Qt's and the mingw-w64
# runtime's, found by reading their imports), the platform and style
# plugins in their folders, the starter configuration file
# (uPVelmora.conf.example) and Qt's licence texts.  The stand-in tools are
# a component of their own ("tools"); the installer leaves them out.
get_filename_component(VELMORA_QT_PREFIX "${Qt6_DIR}/../../.." ABSOLUTE)
set(VELMORA_QT_PLUGINS
  ${VELMORA_QT_PREFIX}/plugins/platforms/qwindows.dll
  ${VELMORA_QT_PREFIX}/plugins/styles/qwindowsvistastyle.dll)

# Where the runtime DLLs of the cross compiler live.
set(VELMORA_RUNTIME_DIRS ${VELMORA_QT_PREFIX}/bin)
foreach(dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(IS_ABSOLUTE "${found}" AND EXISTS "${found}")
    get_filename_component(found_dir "${found}" DIRECTORY)
    list(APPEND VELMORA_RUNTIME_DIRS ${found_dir})
  endif()
endforeach()
list(APPEND VELMORA_RUNTIME_DIRS ${CMAKE_FIND_ROOT_PATH})
find_program(VELMORA_OBJDUMP NAMES x86_64-w64-mingw32-objdump objdump)

install(TARGETS uPVelmora uPVelmora-start uPVelmora-ctl RUNTIME DESTINATION . COMPONENT program)
install(TARGETS uPCorvane slotsend RUNTIME DESTINATION . COMPONENT tools)
install(FILES ${VELMORA_QT_PREFIX}/plugins/platforms/qwindows.dll DESTINATION platforms COMPONENT program)
install(FILES ${VELMORA_QT_PREFIX}/plugins/styles/qwindowsvistastyle.dll DESTINATION styles COMPONENT program)
# The starter file under a name the program never opens: the folder of an
# installed program is not the user's to write, and a program started there
# could save nothing.  The launcher copies it into the user's folder.
install(FILES ${PROJECT_SOURCE_DIR}/examples/uPVelmora.conf DESTINATION . RENAME uPVelmora.conf.example
  COMPONENT program)
if(EXISTS ${VELMORA_QT_PREFIX}/licenses)
  install(DIRECTORY ${VELMORA_QT_PREFIX}/licenses/ DESTINATION qt-licenses COMPONENT program)
endif()

# The DLLs: what the programs and plugins import, found in the Qt and
# runtime folders; the system's own DLLs are not shipped.
install(CODE "
  set(FILES \"$<TARGET_FILE:uPVelmora>\" \"$<TARGET_FILE:uPVelmora-start>\" \"$<TARGET_FILE:uPVelmora-ctl>\"
            \"$<TARGET_FILE:uPCorvane>\" \"$<TARGET_FILE:slotsend>\" ${VELMORA_QT_PLUGINS})
  set(DIRS ${VELMORA_RUNTIME_DIRS})
  set(OBJDUMP \"${VELMORA_OBJDUMP}\")
  set(DESTINATION \"\${CMAKE_INSTALL_PREFIX}\")
  set(STRIP \"${CMAKE_STRIP}\")
  set(STRIP_ALSO platforms/qwindows.dll styles/qwindowsvistastyle.dll)
  include(\"${PROJECT_SOURCE_DIR}/cmake/windows-dlls.cmake\")
  " COMPONENT program)
