# Run by CPack on the staged tree before it builds the .deb: adds the files that belong to the
# Debian package only, not to every install (Debian's changelog of the package, the lintian
# overrides). CPack runs this with DESTDIR at the staging root, as it runs the install rules.
set(prefix ${CPACK_PACKAGING_INSTALL_PREFIX})
set(readable OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(INSTALL ${CPACK_POSTWRIGHT_PACKAGING_DIR}/changelog.Debian.gz
  DESTINATION ${prefix}/share/doc/${CPACK_PACKAGE_NAME} FILE_PERMISSIONS ${readable})
file(INSTALL ${CPACK_POSTWRIGHT_SOURCE_DIR}/packaging/lintian-overrides
  DESTINATION ${prefix}/share/lintian/overrides RENAME ${CPACK_PACKAGE_NAME} FILE_PERMISSIONS ${readable})
