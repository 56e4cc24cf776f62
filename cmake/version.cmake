# The version as Windows shows it in a program's properties: 2.0.0.49 reads "2.00.0049"
# (minor in two digits, build number in four).
function(tavrel_pad value width out)
  string(LENGTH "${value}" length)
  math(EXPR zeros "${width} - ${length}")
  if(zeros GREATER 0)
    string(REPEAT 0 ${zeros} padding)
  endif()
  set(${out} "${padding}${value}" PARENT_SCOPE)
endfunction()
tavrel_pad(${PROJECT_VERSION_MINOR} 2 minor)
tavrel_pad(${PROJECT_VERSION_TWEAK} 4 build)
set(TAVREL_FILE_VERSION "${PROJECT_VERSION_MAJOR}.${minor}.${build}")
set(TAVREL_VERSION_COMMAS
  "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${PROJECT_VERSION_TWEAK}")
set(TAVREL_COMPANY "The Tavrel developers")
set(TAVREL_COPYRIGHT "Copyright (c) 2026 ${TAVREL_COMPANY}")

# The version as Windows Installer compares it: three fields (a fourth is ignored), the
# third at most 65535. 2.0.0.49 becomes 2.0.49: MAJOR.MINOR.(PATCH * 1000 + TWEAK), so
# that every later version of the four fields maps to a greater product version.
if(WIN32 AND (PROJECT_VERSION_PATCH GREATER 64 OR PROJECT_VERSION_TWEAK GREATER 999))
  message(FATAL_ERROR "${PROJECT_VERSION} has no Windows Installer version: the patch must be below 65, the build below 1000")
endif()
math(EXPR msi_build "${PROJECT_VERSION_PATCH} * 1000 + ${PROJECT_VERSION_TWEAK}")
set(TAVREL_MSI_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${msi_build}")

# debian/changelog, where the tree has it, names the version it packages: its first entry
# must be for this one (a new version needs its entry). A tree without debian/ (an upstream
# tarball) takes the version from here alone.
set(changelog_file ${PROJECT_SOURCE_DIR}/debian/changelog)
if(EXISTS ${changelog_file})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog_file})
  file(STRINGS ${changelog_file} heading LIMIT_COUNT 1)
  string(REGEX MATCH "^tavrel \\(([^)]+)-[^)-]+\\)" heading "${heading}")
  if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "debian/changelog's first entry is for ${CMAKE_MATCH_1}, not ${PROJECT_VERSION}: add an entry (dch -v ${PROJECT_VERSION}-1)")
  endif()
endif()
