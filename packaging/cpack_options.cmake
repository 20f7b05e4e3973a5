# Settings of one package kind (CPACK_PROJECT_CONFIG_FILE): the Debian
# package installs under /usr; the tarball unpacks into a folder of its own.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()
