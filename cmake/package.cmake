# Install rules and the package: on Windows a zip to unpack anywhere, the program with its README
# and licence beside it; elsewhere the program, its manual page, copyright and changelog under
# the usual folders, and a Debian package of them.
if(WIN32)
  install(TARGETS tob-list RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
else()
  include(GNUInstallDirs)
  # Compressed, as Debian's policy asks; -n leaves the name and time out of the gzip header, so
  # that a build is the same byte for byte.
  find_program(GZIP gzip REQUIRED)
  foreach(file man/tob-list.1 packaging/changelog)
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${name}.gz COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${file} ${name}
      COMMAND ${GZIP} -9nf ${name} DEPENDS ${file} VERBATIM)
    list(APPEND tob_compressed ${CMAKE_BINARY_DIR}/${name}.gz)
  endforeach()
  add_custom_target(compressed_docs ALL DEPENDS ${tob_compressed})
  install(TARGETS tob-list RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_BINARY_DIR}/tob-list.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()
set(CPACK_PACKAGE_NAME tob-list)
set(CPACK_PACKAGE_VENDOR "tob-list developers")
set(CPACK_PACKAGE_CONTACT "tob-list maintainers <maintainers@users.noreply.c-seed-fadc9977.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "list the leading fields of every data line of tob_10.csv")
set(CPACK_PACKAGE_DESCRIPTION "tob-list reads the semicolon-separated table tob_10.csv from the working
directory and lists the leading fields of every data line, followed by the
number of lines it read.")
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package-modes.cmake) # every folder 0755
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
