# Read by cpack, which makes the Windows zip. The archive gets the build's time stamps, and the zip's DOS times
# (local times) are those of UTC wherever cpack runs.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} ${CPACK_TAVREL_SOURCE_DATE_EPOCH})
endif()
set(ENV{TZ} UTC)
