# The compiler keeps the layers: a library's sources see its own headers and the
# public headers of the libraries it links, nothing else; a wrong include fails
# the build.
#
# qwo_library_headers(TARGET FOLDER PUBLIC <header>...)
#   FOLDER is the library's folder from the repository root; PUBLIC names the
#   headers (in FOLDER) that other libraries may include. Links to them go to
#   <build>/include/<target>/<FOLDER>/, the target's public include folder; links
#   to the folder's other headers go to <build>/include-private/<target>/<FOLDER>/,
#   seen by the target's own sources only. Include lines stay "<FOLDER>/<name>.h".
#   A public header may include only public headers of its own library and of the
#   libraries the target links PUBLIC (tests/ builds each one alone).
set(QWO_INCLUDE_ROOT ${CMAKE_BINARY_DIR}/include)
set(QWO_PRIVATE_INCLUDE_ROOT ${CMAKE_BINARY_DIR}/include-private)

function(qwo_library_headers target folder)
  cmake_parse_arguments(HEADERS "" "" "PUBLIC" ${ARGN})
  set(public_dir ${QWO_INCLUDE_ROOT}/${target})
  set(private_dir ${QWO_PRIVATE_INCLUDE_ROOT}/${target})
  file(REMOVE_RECURSE ${public_dir} ${private_dir})
  file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/${folder} ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  foreach(name ${HEADERS_PUBLIC})
    if(NOT name IN_LIST headers)
      message(FATAL_ERROR "${target}: public header ${folder}/${name} does not exist")
    endif()
  endforeach()
  set(public_paths)
  foreach(name ${headers})
    if(name IN_LIST HEADERS_PUBLIC)
      set(link ${public_dir}/${folder}/${name})
      list(APPEND public_paths ${folder}/${name})
    else()
      set(link ${private_dir}/${folder}/${name})
    endif()
    get_filename_component(link_dir ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${link_dir})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder}/${name} ${link} SYMBOLIC)
  endforeach()
  file(MAKE_DIRECTORY ${public_dir} ${private_dir})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${public_dir})
  else()
    target_include_directories(${target} PUBLIC ${public_dir} PRIVATE ${private_dir})
  endif()
  set_property(TARGET ${target} PROPERTY QWO_PUBLIC_HEADERS ${public_paths})
  set_property(GLOBAL APPEND PROPERTY QWO_LIBRARIES ${target})
endfunction()

# Fails the configuration when the libraries made with qwo_library_headers()
# link each other in a circle (CMake allows that between static libraries).
function(qwo_check_library_graph)
  get_property(libraries GLOBAL PROPERTY QWO_LIBRARIES)
  foreach(library ${libraries})
    _qwo_walk_links(${library} "${library}")
  endforeach()
endfunction()

function(_qwo_walk_links library path)
  get_target_property(links ${library} LINK_LIBRARIES)
  get_target_property(interface_links ${library} INTERFACE_LINK_LIBRARIES)
  get_property(libraries GLOBAL PROPERTY QWO_LIBRARIES)
  foreach(link ${links} ${interface_links})
    if(NOT link IN_LIST libraries)
      continue()
    endif()
    if(link IN_LIST path)
      list(JOIN path " -> " shown)
      message(FATAL_ERROR "library circle: ${shown} -> ${link}")
    endif()
    _qwo_walk_links(${link} "${path};${link}")
  endforeach()
endfunction()
