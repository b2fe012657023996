# What `cmake --install` puts under the prefix (and DESTDIR): the programs, libvu (shared with a
# version and soname, and static), the public headers under include/vu, vu.pc, the CMake package
# (find_package(vu) -> vu::vu), the man pages and the desktop files. Everything is placed relative
# to the prefix chosen at install time; vu.pc and the CMake package find the prefix from where
# they lie, so an install can be moved.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The shared library: the same layer objects as the static one.
add_library(vu_shared SHARED)
target_link_libraries(vu_shared PRIVATE ${VU_LAYERS})
target_link_options(vu_shared PRIVATE -Wl,--no-undefined)
set_target_properties(vu_shared PROPERTIES OUTPUT_NAME vu EXPORT_NAME vu
                      VERSION ${PROJECT_VERSION}.0 SOVERSION 0
                      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/shared)
target_include_directories(vu_shared INTERFACE
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/vu> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

# vuconvert and its manual page are installed beside its target.
install(TARGETS vustudio vu-thumbnailer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vu_shared EXPORT vuTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Unspecified)
install(TARGETS vu ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})

# Public headers: what a program needs to load, convert and save images. They include one another
# as "imagelib/...", so they keep their folders under include/vu.
set(VU_PUBLIC_HEADERS imagelib/vuTypes.h imagelib/BitmapAccessor.h imagelib/vuDrawing.h
    imagelib/vuPlatform.h imagelib/vuImage.h imagelib/vuImageOwner.h formats/vuFileInfo.h
    formats/vuRWImage.h formats/vuRegistry.h codec/wif2/vuWifParams.h)
foreach(header IN LISTS VU_PUBLIC_HEADERS)
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${CMAKE_SOURCE_DIR}/${header}
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vu/${folder})
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/cmake/vuVersion.h.in ${CMAKE_BINARY_DIR}/generated/vuVersion.h
               @ONLY)
install(FILES ${CMAKE_SOURCE_DIR}/include/vu/vu.h ${CMAKE_BINARY_DIR}/generated/vuVersion.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vu)

# pkg-config: the prefix as seen from the folder of vu.pc.
file(RELATIVE_PATH VU_PC_PREFIX_FROM_PCDIR /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
string(REGEX REPLACE "/$" "" VU_PC_PREFIX_FROM_PCDIR "${VU_PC_PREFIX_FROM_PCDIR}")
configure_file(${CMAKE_SOURCE_DIR}/cmake/vu.pc.in ${CMAKE_BINARY_DIR}/generated/vu.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/generated/vu.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

set(VU_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vu)
install(EXPORT vuTargets NAMESPACE vu:: DESTINATION ${VU_CMAKE_DIR})
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/vuConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/generated/vuConfig.cmake
                              INSTALL_DESTINATION ${VU_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/generated/vuConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/generated/vuConfig.cmake
        ${CMAKE_BINARY_DIR}/generated/vuConfigVersion.cmake DESTINATION ${VU_CMAKE_DIR})

install(FILES ${CMAKE_SOURCE_DIR}/docs/man/vustudio.1 ${CMAKE_SOURCE_DIR}/docs/man/vu-thumbnailer.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Desktop files.
set(data ${CMAKE_SOURCE_DIR}/desktop/data)
install(FILES ${data}/vu-wif.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${data}/vu-wif.thumbnailer DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)
install(FILES ${data}/vustudio.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${data}/org.tessary.vustudio.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/desktop/icons/vustudio.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/desktop/icons/vustudio-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME vustudio.png)
endforeach()

# The loader modules and the caches of the system's databases: decided when installing, since
# the prefix may be given then (cmake --install --prefix).
install(CODE "
  set(VU_QT_MODULE \"$<TARGET_FILE:vu-wif-qt>\")
  set(VU_PIXBUF_MODULE \"$<TARGET_FILE:pixbufloader-wif>\")
  set(VU_SYSTEM_QT_PLUGIN_DIR \"${VU_SYSTEM_QT_PLUGIN_DIR}\")
  set(VU_SYSTEM_PIXBUF_LOADER_DIR \"${VU_SYSTEM_PIXBUF_LOADER_DIR}\")
  set(VU_PIXBUF_QUERY_LOADERS \"${VU_PIXBUF_QUERY_LOADERS}\")
  set(VU_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
  set(VU_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
  include(\"${CMAKE_SOURCE_DIR}/cmake/VuInstallModules.cmake\")
")
