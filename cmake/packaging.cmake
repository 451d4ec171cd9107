# What is installed besides the programs and the manual pages, and the Debian package.
# Debian's layout is kept for every install: the docs under share/doc/postwright, the licence
# as a machine-readable copyright file, the changelogs compressed, the programs stripped in the
# package, dependencies computed from the programs' libraries.

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(packaging_dir ${PROJECT_BINARY_DIR}/packaging)

# The copyright file: a header in Debian's copyright format, then LICENSE's text with each
# line indented and each empty line a lone dot, as that format wants it.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license_text)
string(REGEX REPLACE "^MIT License\n\n[^\n]*\n\n" "" license_body "${license_text}")
string(REGEX REPLACE "\n$" "" license_body "${license_body}")
string(REPLACE "\n\n" "\n.\n" license_body "${license_body}")
string(REPLACE "\n" "\n " license_body "${license_body}")
file(WRITE ${packaging_dir}/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: ${PROJECT_NAME}\n"
  "\n"
  "Files: *\n"
  "Copyright: ${PROJECT_COPYRIGHT}\n"
  "License: Expat\n"
  " ${license_body}\n")

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "the postwright maintainers")
set(CPACK_PACKAGE_CONTACT "postwright maintainers <maintainers@users.noreply.c-seed-efe044df.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert Boolean assignment statements between infix and postfix")
set(CPACK_PACKAGE_DESCRIPTION "postwright reads a file of Boolean assignment statements in infix
notation and writes them in postfix notation: y = a | b & !(k | 0) becomes
y =a b k 0|!&|. inwright reads such postfix text and writes it back in infix
notation. Both use table-driven scanners, postwright an LALR(1) parser as well.
Either program reads standard input and writes standard output when a file
name is -, so the two can be joined in a pipe.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# Debian's changelog of the package, dated with the release.
execute_process(COMMAND date -u -R -d ${PROJECT_RELEASE_DATE} OUTPUT_VARIABLE PACKAGE_DATE
  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.Debian.in ${packaging_dir}/changelog.Debian @ONLY)

# Compressed as Debian wants them: maximum compression, no name and no time stamp inside.
set(compressed_docs)
foreach(pair "${PROJECT_SOURCE_DIR}/CHANGELOG.md|changelog.gz" "${packaging_dir}/changelog.Debian|changelog.Debian.gz")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 target)
  add_custom_command(OUTPUT ${packaging_dir}/${target}
    COMMAND sh -c "gzip -9n -c \"$1\" >\"$2\"" sh ${source} ${packaging_dir}/${target}
    DEPENDS ${source}
    VERBATIM)
  list(APPEND compressed_docs ${packaging_dir}/${target})
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed_docs})

install(FILES ${packaging_dir}/copyright ${packaging_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES
  ${PROJECT_SOURCE_DIR}/examples/features.infix ${PROJECT_SOURCE_DIR}/examples/features.infix.expected
  ${PROJECT_SOURCE_DIR}/examples/features.postfix ${PROJECT_SOURCE_DIR}/examples/features.postfix.expected
  DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# Debian's own files go into the package only (packaging/debian_files.cmake).
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/debian_files.cmake)
set(CPACK_POSTWRIGHT_PACKAGING_DIR ${packaging_dir})
set(CPACK_POSTWRIGHT_SOURCE_DIR ${PROJECT_SOURCE_DIR})
include(CPack)
