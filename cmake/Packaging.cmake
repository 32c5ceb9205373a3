# The Linux packages: `cpack` in a build folder writes a .deb and a .tar.gz
# of what `cmake --install` installs (executables, program texts and the
# default dataset when the build folder has one).
set(CPACK_PACKAGE_NAME volview)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_CONTACT "volview developers <volview@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Interactive CT volume viewer (texture-based slicing on the GPU)")
set(CPACK_GENERATOR DEB TGZ)
# The viewer looks for its program texts under the prefix it was built for.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# Library dependencies from the executables themselves (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The overlay's text asks fontconfig for Arial; these fonts match it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)
include(CPack)
