# The Debian packages: tavrel (the program alone, needing only libc) and tavrel-window
# (the window module and the desktop files).
set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VENDOR "The Tavrel developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# Whoever builds the package maintains it: Debian's DEBFULLNAME and DEBEMAIL name them.
if(DEFINED ENV{DEBEMAIL} AND DEFINED ENV{DEBFULLNAME})
  set(maintainer "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
else()
  set(maintainer "Tavrel developers <tavrel@users.noreply.github.com>")
endif()
set(TAVREL_MAINTAINER "${maintainer}" CACHE STRING "The Debian packages' maintainer")
set(CPACK_PACKAGE_CONTACT "${TAVREL_MAINTAINER}")

set(CPACK_GENERATOR DEB)
# Packaged where the build installs, so that the module directory compiled into tavrel is
# the one the package holds (the package preset and scripts/package.sh give /usr).
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# cmake/cpack_project.cmake gives cpack the build's time and a fixed time zone.
set(CPACK_TAVREL_SOURCE_DATE_EPOCH ${TAVREL_SOURCE_DATE_EPOCH})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL tavrel tavrel-window)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(TAVREL_DEB_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_project.cmake)

set(CPACK_DEBIAN_TAVREL_PACKAGE_NAME tavrel)
set(CPACK_DEBIAN_TAVREL_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_TAVREL_PACKAGE_RECOMMENDS tavrel-window)
set(CPACK_DEBIAN_TAVREL_DESCRIPTION "switch a Wine prefix's proxy client on and off
Tavrel writes the key Disable of section Microsoft Proxy Service in
win.ini of a Wine prefix: tavrel /off disables the proxy client and
tavrel /on enables it, silently, for scripts. Without a switch it opens a
small window that tells the client's state and switches it (package
tavrel-window).")

set(CPACK_DEBIAN_TAVREL-WINDOW_PACKAGE_NAME tavrel-window)
# CPack's own dependency scan would also add ldconfig calls for the private module;
# cmake/cpack_project.cmake asks dpkg-shlibdeps instead.
set(CPACK_DEBIAN_TAVREL-WINDOW_PACKAGE_SHLIBDEPS OFF)
set(CPACK_TAVREL_WINDOW_DEPENDS "tavrel (= ${TAVREL_DEB_VERSION})")
set(CPACK_TAVREL_WINDOW_MODULE ${PROJECT_BINARY_DIR}/src/tavrel-fltk.so)
set(CPACK_DEBIAN_TAVREL-WINDOW_DESCRIPTION "window of the proxy client switch Tavrel
The window that tavrel opens when started without a switch: it tells
whether a Wine prefix's proxy client is enabled or disabled and offers
one button to switch it. With the desktop entry, icons and AppStream
metadata.")

# Each package's documentation (the licence and the Debian changelog) and lintian's
# overrides, each with its reason.
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.Debian.in changelog.Debian @ONLY)
add_custom_command(OUTPUT changelog.Debian.gz
  COMMAND gzip -9n -c changelog.Debian > changelog.Debian.gz DEPENDS ${PROJECT_BINARY_DIR}/changelog.Debian)
add_custom_target(package_docs ALL DEPENDS changelog.Debian.gz)
foreach(component tavrel tavrel-window)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/changelog.Debian.gz
    DESTINATION share/doc/${component} COMPONENT ${component})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian/${component}
    DESTINATION share/lintian/overrides COMPONENT ${component})
endforeach()

# The Ansible collection (integrations/ansible) in a package of its own, for any
# architecture, installed where Ansible finds collections: a controller needs no binary
# package of its managed hosts' architecture.
if(TAVREL_COLLECTION_TARBALL)
  list(APPEND CPACK_COMPONENTS_ALL tavrel-ansible)
  set(CPACK_DEBIAN_TAVREL-ANSIBLE_PACKAGE_NAME tavrel-ansible)
  set(CPACK_DEBIAN_TAVREL-ANSIBLE_PACKAGE_ARCHITECTURE all)
  set(CPACK_DEBIAN_TAVREL-ANSIBLE_PACKAGE_SECTION admin)
  set(CPACK_DEBIAN_TAVREL-ANSIBLE_PACKAGE_DEPENDS "ansible-core (>= 2.14)")
  set(CPACK_DEBIAN_TAVREL-ANSIBLE_PACKAGE_SUGGESTS tavrel)
  set(CPACK_DEBIAN_TAVREL-ANSIBLE_DESCRIPTION "Ansible collection tavrel.wine: the proxy client of Wine prefixes
The Ansible module tavrel.wine.proxy_client switches the proxy client of
Wine prefixes on and off across many hosts, through the tavrel program
(package tavrel) on each managed host. It honours check and diff mode
and reports a change only when it switched.")
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/changelog.Debian.gz
    DESTINATION share/doc/tavrel-ansible COMPONENT tavrel-ansible)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian/tavrel-ansible
    DESTINATION share/lintian/overrides COMPONENT tavrel-ansible)
endif()
include(CPack)
