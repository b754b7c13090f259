# The Debian package norda-server: the server, norda_admin and norda_sample,
# the systemd template unit, /etc/norda with a commented settings file, and
# the logrotate rule; the maintainer scripts make the user norda and its
# folders. `cmake --build build/native --target deb_package` writes
# build/native/norda-server_VERSION_ARCH.deb.
set(PACKAGE_FILES ${CMAKE_SOURCE_DIR}/deploy/package)
install(TARGETS norda_server norda_admin norda_sample RUNTIME DESTINATION bin)
install(FILES ${CMAKE_SOURCE_DIR}/deploy/systemd/norda-server@.service DESTINATION /lib/systemd/system)
install(FILES ${PACKAGE_FILES}/norda-main.conf DESTINATION /etc/norda)
install(FILES ${PACKAGE_FILES}/logrotate DESTINATION /etc/logrotate.d RENAME norda-server)
# The changelog travels compressed, without a time stamp, as Debian wants it.
set(PACKAGE_CHANGELOG ${CMAKE_BINARY_DIR}/package/changelog.gz)
add_custom_command(
  OUTPUT ${PACKAGE_CHANGELOG}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package
  COMMAND gzip -9n -c ${PACKAGE_FILES}/changelog > ${PACKAGE_CHANGELOG}
  DEPENDS ${PACKAGE_FILES}/changelog)
# The manual pages, compressed likewise.
set(PACKAGE_MANUALS)
foreach(program norda_server norda_admin norda_sample)
  set(manual ${CMAKE_BINARY_DIR}/package/${program}.1.gz)
  add_custom_command(
    OUTPUT ${manual}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package
    COMMAND gzip -9n -c ${PACKAGE_FILES}/man/${program}.1 > ${manual}
    DEPENDS ${PACKAGE_FILES}/man/${program}.1)
  list(APPEND PACKAGE_MANUALS ${manual})
endforeach()
install(FILES ${PACKAGE_MANUALS} DESTINATION share/man/man1)
add_custom_target(package_documents ALL DEPENDS ${PACKAGE_CHANGELOG} ${PACKAGE_MANUALS})
install(FILES ${PACKAGE_FILES}/copyright ${PACKAGE_CHANGELOG} DESTINATION share/doc/norda-server)

# The package needs only the programs, not every test of the build.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
add_custom_target(deb_package
  COMMAND cpack --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake -B ${CMAKE_BINARY_DIR}
  DEPENDS norda_server norda_admin norda_sample package_documents
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Writing the Debian package norda-server")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME norda-server)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_CONTACT "Tarvex maintainers <maintainers@tarvex.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tarvex reference data server")
set(CPACK_PACKAGE_DESCRIPTION
    "The data server of the Tarvex weather observation service: answers the\nprograms' requests from a SQLite file or PostgreSQL, with norda_admin for\nthe operator's work and norda_sample for a sample database.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS adduser)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS logrotate)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PACKAGE_FILES}/conffiles ${PACKAGE_FILES}/postinst ${PACKAGE_FILES}/prerm ${PACKAGE_FILES}/postrm)
include(CPack)
