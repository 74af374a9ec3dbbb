# Run by CPack after it has built the Debian package (CPACK_POST_BUILD_SCRIPTS).
# CPack gives every package that holds a shared object under /usr/lib a
# postinst and a postrm that run ldconfig. The plug-in in /usr/lib/vst is
# loaded by hosts from its path, never through the linker's cache, so the
# scripts do nothing useful; and a postrm keeps dpkg's record of the package
# ("rc") after `apt remove`. The package is rebuilt without them.
find_program(KX_DPKG_DEB dpkg-deb REQUIRED)
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree "${deb}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND ${KX_DPKG_DEB} --raw-extract "${deb}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE "${tree}/DEBIAN/postinst" "${tree}/DEBIAN/postrm")
  execute_process(COMMAND ${KX_DPKG_DEB} --root-owner-group --build "${tree}" "${deb}"
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${tree}")
endforeach()
