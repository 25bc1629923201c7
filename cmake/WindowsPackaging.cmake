# The Windows installers: zk583-console-<version>-win64.exe and -win32.exe
# (NSIS), and a .zip of the same files. Under the install folder:
#   bin\zk583-console.exe          the console
#   bin\simcard\ZK583.dll          the simulated card, which the console loads
#                                  by absolute path when no card library is installed
# with a Start-menu entry for the console and an uninstaller.

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ZK583_WINDOWS_ARCH win64)
else()
    set(ZK583_WINDOWS_ARCH win32)
endif()

install(FILES $<TARGET_FILE:ZK583> DESTINATION bin/simcard COMPONENT console)
if(TARGET zk583-console)
    install(PROGRAMS $<TARGET_FILE:zk583-console> DESTINATION bin COMPONENT console)
    set(CPACK_PACKAGE_EXECUTABLES "zk583-console;ZK583 Testing Program")
    set(CPACK_NSIS_MUI_FINISHPAGE_RUN zk583-console.exe)
endif()

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME zk583-console)
set(CPACK_PACKAGE_VENDOR "ZK583 console developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Test console for the ZK583 data-acquisition card")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME zk583-console-${PROJECT_VERSION}-${ZK583_WINDOWS_ARCH})
set(CPACK_PACKAGE_INSTALL_DIRECTORY "ZK583 Console")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "zk583-console-${ZK583_WINDOWS_ARCH}")
set(CPACK_STRIP_FILES ON)

set(CPACK_NSIS_PACKAGE_NAME "ZK583 Testing Program")
set(CPACK_NSIS_DISPLAY_NAME "ZK583 Testing Program")
if(ZK583_WINDOWS_ARCH STREQUAL win64)
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
else()
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
endif()
set(CPACK_NSIS_EXECUTABLES_DIRECTORY bin)
set(CPACK_NSIS_MODIFY_PATH OFF)

# The zip unpacks to one folder named like the installer.
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)

include(CPack)
