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

install(FILES man/vantrix.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The page's module, when tools/run-wasm-build.sh has written it; without it the page shows
# preview documents only.
install(FILES viewer/index.html DESTINATION ${CMAKE_INSTALL_DATADIR}/vantrix/viewer)
install(FILES viewer/vantrix.js DESTINATION ${CMAKE_INSTALL_DATADIR}/vantrix/viewer OPTIONAL)

# cpack -G DEB in the build folder: vantrix_<version>_<architecture>.deb of all the above,
# installed under /usr. Program and library are static, so the package needs nothing else; a
# program built on the library links zlib too.
set(CPACK_PACKAGE_NAME vantrix)
set(CPACK_PACKAGE_VENDOR "vantrix")
set(CPACK_PACKAGE_CONTACT "The vantrix developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Preview documents of RPG Maker 2000/2003 saves, with their faces")
# The control file's description below its summary, in lines of at most 80 characters.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "vantrix reads a save file of the RPG Maker 2000 and 2003 engines (*.lsd) and"
  "writes an XML preview of what a load menu shows of it: save time, hero, playing"
  "time, money and up to four faces from the game's FaceSet folder."
  "."
  "This package holds the program and its manual, the static library with its"
  "headers, CMake package and pkg-config file, and a viewer page that shows"
  "preview documents, saves and game folders as save slots.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "zlib1g-dev")
include(CPack)
