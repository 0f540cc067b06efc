# cmake --install: the program, the static library with its public headers, a CMake package
# (find_package(vantrix) gives vantrix::vantrix), a pkg-config file, the manual and the viewer.
include(CMakePackageConfigHelpers)

set(VANTRIX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vantrix)

install(TARGETS vantrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vantrix_lib EXPORT vantrixTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY include/vantrix DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.hpp")
install(EXPORT vantrixTargets NAMESPACE vantrix:: DESTINATION ${VANTRIX_CMAKE_DIR})

configure_package_config_file(cmake/vantrixConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/vantrixConfig.cmake INSTALL_DESTINATION ${VANTRIX_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/vantrixConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vantrixConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/vantrixConfigVersion.cmake DESTINATION ${VANTRIX_CMAKE_DIR})

# The .pc file finds its prefix from where it lies, so an install with --prefix or a copied
# tree still points at its own headers and library.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(VANTRIX_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH VANTRIX_PC_UP "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
  set(VANTRIX_PC_PREFIX "\${pcfiledir}/${VANTRIX_PC_UP}")
endif()
foreach(dir LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(VANTRIX_PC_${dir} "${CMAKE_INSTALL_${dir}}")
  else()
    set(VANTRIX_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
configure_file(cmake/vantrix.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vantrix.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vantrix.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The manual names the version of project() in CMakeLists.txt, as everything else does.
configure_file(man/vantrix.1.in ${CMAKE_CURRENT_BINARY_DIR}/vantrix.1 @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vantrix.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The page's module, when tools/run-wasm-build.sh has written it; without it the page shows
# preview documents only.
install(FILES viewer/index.html DESTINATION ${CMAKE_INSTALL_DATADIR}/vantrix/viewer)
install(FILES viewer/vantrix.js DESTINATION ${CMAKE_INSTALL_DATADIR}/vantrix/viewer OPTIONAL)

# The Debian package is made from these files by tools/make-deb.sh.
