# Read by cpack. Every archive gets the build's time stamps, and the zip's DOS times
# (local times) are those of UTC wherever cpack runs.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} ${CPACK_TAVREL_SOURCE_DATE_EPOCH})
endif()
set(ENV{TZ} UTC)

# The window package's library dependencies, from dpkg-shlibdeps.
if(CPACK_GENERATOR STREQUAL "DEB")
  # Each package's description carries its own synopsis line; keep CPack from adding
  # the project's in front of it.
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CPACK_DEFAULT_PACKAGE_DESCRIPTION_SUMMARY}")
  set(work ${CPACK_PACKAGE_DIRECTORY}/_CPack_Packages/shlibdeps)
  file(MAKE_DIRECTORY ${work}/debian)
  file(TOUCH ${work}/debian/control)
  execute_process(COMMAND dpkg-shlibdeps -O ${CPACK_TAVREL_WINDOW_MODULE}
    WORKING_DIRECTORY ${work} OUTPUT_VARIABLE found ERROR_VARIABLE warnings COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX REPLACE "^shlibs:Depends=([^\n]*).*" "\\1" found "${found}")
  set(CPACK_DEBIAN_TAVREL-WINDOW_PACKAGE_DEPENDS "${CPACK_TAVREL_WINDOW_DEPENDS}, ${found}")
endif()
