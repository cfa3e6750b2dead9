# cmake --install: the programs in bin/, libtessival.so and tessival.h, a CMake
# package (find_package(tessival), target tessival::tessival) and a pkg-config
# file, under any prefix.
include(CMakePackageConfigHelpers)

set(PEBBLE_PROGRAMS pebble)
foreach(program pebble-match granite)
  if(TARGET ${program})
    list(APPEND PEBBLE_PROGRAMS ${program})
  endif()
endforeach()

if(NOT WIN32)
  # Installed programs find the library in the prefix's library folder, and
  # still beside themselves as in the build tree.
  file(RELATIVE_PATH PEBBLE_BIN_TO_LIB
    ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(${PEBBLE_PROGRAMS} PROPERTIES
    INSTALL_RPATH "\$ORIGIN:\$ORIGIN/${PEBBLE_BIN_TO_LIB}")
endif()

install(TARGETS ${PEBBLE_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tessival tessival_headers EXPORT tessivalTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(PEBBLE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/tessival)
install(EXPORT tessivalTargets NAMESPACE tessival:: DESTINATION ${PEBBLE_CMAKE_DIR})
configure_package_config_file(cmake/tessivalConfig.cmake.in
  ${PROJECT_BINARY_DIR}/tessivalConfig.cmake INSTALL_DESTINATION ${PEBBLE_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/tessivalConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/tessivalConfig.cmake
  ${PROJECT_BINARY_DIR}/tessivalConfigVersion.cmake DESTINATION ${PEBBLE_CMAKE_DIR})

# The pkg-config file finds the prefix from its own place, so --prefix may
# differ from the configured one.
file(RELATIVE_PATH PEBBLE_PC_TO_PREFIX
  ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
configure_file(cmake/tessival.pc.in ${PROJECT_BINARY_DIR}/tessival.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tessival.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
