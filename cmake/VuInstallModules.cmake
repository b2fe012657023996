# Runs when installing: puts the Qt image plug-in and the gdk-pixbuf loader where programs find
# them, and brings the system's caches up to date.
#
# An install for the whole system (prefix /usr or /usr/local) puts the two modules into the
# folders the system's Qt and gdk-pixbuf search, which is what makes every program open WIF files.
# Any other prefix keeps them under the prefix (lib/qt6/plugins/imageformats and
# lib/gdk-pixbuf-2.0/2.10.0/loaders), with a loaders.cache of its own there; programs find them
# through QT_PLUGIN_PATH and GDK_PIXBUF_MODULE_FILE.
#
# With DESTDIR (a staged install, as packages are built) nothing outside the staged tree is
# touched and no cache is written: the package's own triggers build them on the target system.

set(prefix "${CMAKE_INSTALL_PREFIX}")
set(destdir "$ENV{DESTDIR}")
if(prefix STREQUAL "/usr" OR prefix STREQUAL "/usr/local")
  set(system_install TRUE)
  set(qt_dir "${VU_SYSTEM_QT_PLUGIN_DIR}")
  set(pixbuf_dir "${VU_SYSTEM_PIXBUF_LOADER_DIR}")
else()
  set(system_install FALSE)
  set(qt_dir "${prefix}/${VU_LIBDIR}/qt6/plugins/imageformats")
  set(pixbuf_dir "${prefix}/${VU_LIBDIR}/gdk-pixbuf-2.0/2.10.0/loaders")
endif()

# file(INSTALL) puts DESTDIR in front by itself.
file(INSTALL "${VU_QT_MODULE}" DESTINATION "${qt_dir}")
file(INSTALL "${VU_PIXBUF_MODULE}" DESTINATION "${pixbuf_dir}")

if(NOT destdir STREQUAL "")
  return()
endif()

function(vu_run_if_present tool)
  find_program(path ${tool})
  if(path)
    execute_process(COMMAND ${path} ${ARGN} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(WARNING "${tool} ${ARGN} failed (${result})")
    endif()
  endif()
  unset(path CACHE)
endfunction()

vu_run_if_present(update-mime-database "${prefix}/${VU_DATADIR}/mime")
vu_run_if_present(update-desktop-database -q "${prefix}/${VU_DATADIR}/applications")
vu_run_if_present(gtk-update-icon-cache -q -t -f "${prefix}/${VU_DATADIR}/icons/hicolor")

get_filename_component(module_name "${VU_PIXBUF_MODULE}" NAME)
if(system_install)
  execute_process(COMMAND "${VU_PIXBUF_QUERY_LOADERS}" --update-cache RESULT_VARIABLE result)
else()
  # The system's loaders and ours, so that a program pointed at this cache still reads every
  # other format.
  get_filename_component(cache "${pixbuf_dir}/../loaders.cache" ABSOLUTE)
  file(GLOB system_loaders "${VU_SYSTEM_PIXBUF_LOADER_DIR}/*.so")
  execute_process(COMMAND "${VU_PIXBUF_QUERY_LOADERS}" ${system_loaders}
                          "${pixbuf_dir}/${module_name}"
                  OUTPUT_FILE "${cache}" RESULT_VARIABLE result)
  message(STATUS "Installed: ${cache}")
  message(STATUS "Programs outside the system folders find the WIF loaders with "
                 "QT_PLUGIN_PATH=${prefix}/${VU_LIBDIR}/qt6/plugins GDK_PIXBUF_MODULE_FILE=${cache} "
                 "XDG_DATA_DIRS=${prefix}/${VU_DATADIR}:/usr/local/share:/usr/share")
endif()
if(NOT result EQUAL 0)
  message(WARNING "the gdk-pixbuf loaders cache could not be updated (${result})")
endif()
