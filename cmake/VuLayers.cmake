# The library is built in layers, one folder each. A layer is an object library whose headers are
# published under an include root of its own in the build tree (symbolic links to the sources).
# A layer sees only the roots of the layers it depends on, so a file that includes a header of a
# layer above it (or beside it) does not compile: the include direction is checked by every build.
#
#   vu_layer(NAME
#            SOURCES file.cpp...           the layer's sources
#            PUBLISH path...               folders or single headers (relative to the source root)
#            DEPENDS layer-or-library...)  what the layer builds on (usage requirements travel on)
function(vu_layer name)
  cmake_parse_arguments(LAYER "" "" "SOURCES;PUBLISH;DEPENDS" ${ARGN})
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  foreach(path IN LISTS LAYER_PUBLISH)
    get_filename_component(parent ${root}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT EXISTS ${root}/${path})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${path} ${root}/${path} SYMBOLIC)
    endif()
  endforeach()
  if(LAYER_SOURCES)
    add_library(${name} OBJECT ${LAYER_SOURCES})
    target_include_directories(${name} PUBLIC ${root})
    target_link_libraries(${name} PUBLIC ${LAYER_DEPENDS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${root})
    target_link_libraries(${name} INTERFACE ${LAYER_DEPENDS})
  endif()
endfunction()
