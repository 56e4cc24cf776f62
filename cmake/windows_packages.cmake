# The Windows packages: a zip (cpack) and Tavrel.msi (wixl), each with Tavrel.exe, its
# readme and the licence; both signed when the build is given a certificate.
set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VENDOR "The Tavrel developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME Tavrel-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_TAVREL_SOURCE_DATE_EPOCH ${TAVREL_SOURCE_DATE_EPOCH})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_project.cmake)
include(CPack)

# The MSI installs per machine into Program Files\Tavrel (packaging/Tavrel.wxs); its
# version is TAVREL_MSI_VERSION (cmake/version.cmake).
find_program(WIXL wixl)
if(NOT WIXL)
  message(STATUS "wixl not found (Debian package wixl): no Tavrel.msi")
  return()
endif()
string(REGEX MATCH "[0-9]+$" msi_build ${TAVREL_MSI_VERSION})
math(EXPR msi_next "${msi_build} + 1")
string(REGEX REPLACE "[0-9]+$" ${msi_next} msi_next_version ${TAVREL_MSI_VERSION})
find_program(MSIBUILD msibuild REQUIRED)
set(msi ${PROJECT_BINARY_DIR}/Tavrel.msi)
set(wxs ${PROJECT_SOURCE_DIR}/packaging/Tavrel.wxs)
set(ico ${PROJECT_BINARY_DIR}/src/platform/win32/tavrel.ico)
set(stage ${PROJECT_BINARY_DIR}/msi)
file(MAKE_DIRECTORY ${stage})
include(${CMAKE_CURRENT_LIST_DIR}/sign.cmake)
tavrel_sign_commands(${msi} sign_msi)
add_custom_command(OUTPUT ${msi}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Tavrel> ${PROJECT_SOURCE_DIR}/packaging/README.txt ${ico} ${stage}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/LICENSE ${stage}/LICENSE.txt
  # The cabinet keeps the files' times, as local times: the build's time, in UTC.
  COMMAND touch -d @${TAVREL_SOURCE_DATE_EPOCH} Tavrel.exe README.txt LICENSE.txt
  COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${WIXL} -a x64 -D Version=${TAVREL_MSI_VERSION} -D NextVersion=${msi_next_version}
    -D Manufacturer=${TAVREL_COMPANY} -o ${msi} ${wxs}
  # wixl leaves every file unversioned (a hash row instead). Tavrel.exe has the version of its
  # version record, so that Windows Installer compares versions when it replaces the file.
  COMMAND ${MSIBUILD} ${msi}
    -q "UPDATE `File` SET `Version` = '${PROJECT_VERSION}', `Language` = '1033' WHERE `File` = 'TavrelExe'"
    -q "DELETE FROM `MsiFileHash` WHERE `File_` = 'TavrelExe'"
  # wixl writes no _Validation table, which ICE validation needs: it describes every column
  # of the tables wixl makes.
  COMMAND ${MSIBUILD} ${msi} -i ${PROJECT_SOURCE_DIR}/packaging/_Validation.idt
  ${sign_msi}
  WORKING_DIRECTORY ${stage}
  DEPENDS Tavrel ${ico} ${wxs} ${PROJECT_SOURCE_DIR}/packaging/_Validation.idt ${PROJECT_SOURCE_DIR}/packaging/README.txt ${PROJECT_SOURCE_DIR}/LICENSE VERBATIM)
add_custom_target(msi ALL DEPENDS ${msi})
