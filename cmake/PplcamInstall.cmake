include(CMakePackageConfigHelpers)

# The library's files are the component "library": what a C or C++ program
# needs, installable on its own (`cmake --install <build> --component library`)
# whatever else the build left out.

install(TARGETS pplcam pplcam_static EXPORT pplcamTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT library
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES include/pplcam/pplcam.h include/pplcam/pplcam_ext.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/pplcam COMPONENT library)
install(EXPORT pplcamTargets NAMESPACE pplcam:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/pplcam COMPONENT library)

configure_package_config_file(cmake/pplcamConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/pplcamConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/pplcam)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/pplcamConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pplcamConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/pplcamConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/pplcam COMPONENT library)

# The .pc file finds its prefix from its own location, so the package can be
# installed under any --prefix.
file(RELATIVE_PATH PPLCAM_PC_TO_PREFIX "/p/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/p")
configure_file(cmake/pplcam.pc.in ${CMAKE_CURRENT_BINARY_DIR}/pplcam.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pplcam.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT library)
