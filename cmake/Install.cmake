# What `cmake --install` puts in place: the library, its public headers, a CMake package and a
# pkg-config file. Both descriptions find the prefix from where they are installed, so that an
# installed tree can be moved.
include(CMakePackageConfigHelpers)

set(G722KIT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/g722kit)
set(G722KIT_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(TARGETS g722kit EXPORT g722kitTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES
  include/g722kit/export.h
  include/g722kit/g722.h
  include/g722kit/g722kit.h
  ${PROJECT_BINARY_DIR}/include/g722kit/version.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/g722kit)

install(EXPORT g722kitTargets NAMESPACE g722kit:: DESTINATION ${G722KIT_CMAKE_DIR})
# A static library's users find what it links, as it found them.
set(G722KIT_FIND_DEPENDENCIES "")
if(NOT BUILD_SHARED_LIBS)
  foreach(dependency IN LISTS G722KIT_SYSTEM_LIBRARIES)
    if(dependency MATCHES "^(.+)::")
      string(APPEND G722KIT_FIND_DEPENDENCIES "find_dependency(${CMAKE_MATCH_1})\n")
    endif()
  endforeach()
endif()
configure_package_config_file(cmake/g722kitConfig.cmake.in
  ${PROJECT_BINARY_DIR}/g722kitConfig.cmake INSTALL_DESTINATION ${G722KIT_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/g722kitConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/g722kitConfig.cmake
  ${PROJECT_BINARY_DIR}/g722kitConfigVersion.cmake DESTINATION ${G722KIT_CMAKE_DIR})

file(RELATIVE_PATH G722KIT_PC_PREFIX /prefix/${G722KIT_PC_DIR} /prefix)
string(REGEX REPLACE "/$" "" G722KIT_PC_PREFIX "${G722KIT_PC_PREFIX}")
set(G722KIT_PC_CFLAGS "")
if(NOT BUILD_SHARED_LIBS)
  set(G722KIT_PC_CFLAGS " -DG722KIT_STATIC")
endif()
# What a static link needs besides the library: the C++ runtime, threads and audio capture.
set(G722KIT_PC_LIBS_PRIVATE "")
foreach(library IN LISTS G722KIT_CXX_RUNTIME)
  string(APPEND G722KIT_PC_LIBS_PRIVATE " -l${library}")
endforeach()
if(NOT WIN32)
  string(APPEND G722KIT_PC_LIBS_PRIVATE " -lpthread")
endif()
if(G722KIT_AUDIO_CAPTURE STREQUAL "alsa")
  string(APPEND G722KIT_PC_LIBS_PRIVATE " -lasound")
elseif(G722KIT_AUDIO_CAPTURE STREQUAL "winmm")
  string(APPEND G722KIT_PC_LIBS_PRIVATE " -lwinmm")
endif()
string(STRIP "${G722KIT_PC_LIBS_PRIVATE}" G722KIT_PC_LIBS_PRIVATE)
configure_file(cmake/g722kit.pc.in ${PROJECT_BINARY_DIR}/g722kit.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/g722kit.pc DESTINATION ${G722KIT_PC_DIR})
