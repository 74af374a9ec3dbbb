# The install and package tests run CMake's own install and CPack on this
# build tree, and read the manual page.
target_compile_definitions(${target} PRIVATE
  KX_BINARY_DIR="${CMAKE_BINARY_DIR}"
  KX_CMAKE_COMMAND="${CMAKE_COMMAND}"
  KX_CPACK_COMMAND="${CMAKE_CPACK_COMMAND}"
  KX_VERSION="${PROJECT_VERSION}"
  KX_DEB_VERSION="${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}"
  KX_SANITIZED=$<BOOL:${KX_SANITIZE}>)
add_dependencies(${target} kelvox2-man)
# Installing and packaging both write the build tree's install manifest:
# one at a time.
set(KX_AREA_TEST_PROPERTIES RESOURCE_LOCK build_tree_install)
