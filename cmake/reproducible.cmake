# Builds that give the same bytes wherever and whenever they run.
#
# TAVREL_SOURCE_DATE_EPOCH, the time every artefact carries: $SOURCE_DATE_EPOCH when set,
# else the last commit's time, else the date of the changelog entry (a source tarball).
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(TAVREL_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE TAVREL_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT TAVREL_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    file(TIMESTAMP ${PROJECT_SOURCE_DIR}/CMakeLists.txt TAVREL_SOURCE_DATE_EPOCH "%s" UTC)
  endif()
endif()
set(ENV{SOURCE_DATE_EPOCH} ${TAVREL_SOURCE_DATE_EPOCH})

# The linker stamps that time, not the clock's, into Tavrel.exe's PE header.
if(WIN32)
  foreach(lang C CXX)
    set(CMAKE_${lang}_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${TAVREL_SOURCE_DATE_EPOCH})
  endforeach()
endif()

# No build directory's or checkout's path in a file name or DW_AT_comp_dir: the build ID
# of a package's program is then the same from any directory. The build directory's map
# comes last, so that it wins where the build directory lies inside the checkout.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -ffile-prefix-map=${PROJECT_BINARY_DIR}=build)
endif()

# Installed directories 0755 whatever the umask (files get their modes from install()).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
