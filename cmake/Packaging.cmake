# The Linux packages: `cpack` in a build folder writes a .deb and a .tar.gz
# of what `cmake --install` installs: executables, program texts and the
# default dataset, which a package must hold.

# The default dataset: the example CT in the viewer's file layout, made in
# the run folder by the build when the example is installed (Debian's
# invesalius-examples). A dataset already there is kept, never written over.
set(VOLVIEW_EXAMPLE_CT /usr/share/doc/invesalius-examples/examples/Cranium.inv3
  CACHE FILEPATH "The example CT the default dataset is made from")
if(EXISTS ${VOLVIEW_EXAMPLE_CT})
  add_custom_command(OUTPUT ${VOLVIEW_RUN_DIR}/skewed_head.dat
    COMMAND volimport --inv3 ${VOLVIEW_EXAMPLE_CT} -o ${VOLVIEW_RUN_DIR}/skewed_head.dat
    DEPENDS ${VOLVIEW_EXAMPLE_CT}
    COMMENT "Making the default dataset from ${VOLVIEW_EXAMPLE_CT}")
  add_custom_target(default_dataset ALL DEPENDS ${VOLVIEW_RUN_DIR}/skewed_head.dat)
  add_dependencies(default_dataset volimport)
endif()
# A package without the dataset would install a viewer that cannot start
# with no argument: packing stops, saying why.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageHasDataset.cmake)
set(CPACK_VOLVIEW_DATASET ${VOLVIEW_RUN_DIR}/skewed_head.dat)
set(CPACK_VOLVIEW_DATASET_HINT "install the example CT (Debian's invesalius-examples) and build again, \
or make it with tools/volimport (volimport --help)")
set(CPACK_PACKAGE_NAME volview)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_CONTACT "volview developers <volview@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Interactive CT volume viewer (texture-based slicing on the GPU)")
set(CPACK_GENERATOR DEB TGZ)
# The viewer looks for its program texts under the prefix it was built for.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Shipped without debug information; the build folder keeps it.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# Library dependencies from the executables themselves (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The overlay's text asks fontconfig for Arial; these fonts match it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)
include(CPack)
