# velmora_module(<folder> [OBJECT] [ROOT <dir>] [EXCLUDE <file>...]
#                [REQUIRES <folder>...] [QT <component>...])
#
# One folder of sources as one library, velmora_<folder> ("/" becomes "_"):
# every .cpp, .h and .qrc directly in ROOT/<folder> (ROOT defaults to src/).
# The library links Qt Core, the Qt components named after QT and the
# libraries of the folders named after REQUIRES, which must be declared
# before it.
#
# Its headers reach the include path through a folder of the build that holds
# a link to each of them, as <folder>/<name>.h, and nothing else: a source
# sees "<folder>/<name>.h" only for its own folder and the folders it
# requires (and what those require), so an include of any other folder fails
# to compile. The links are made afresh at every configure run; a new header
# makes the build configure again.
#
# EXCLUDE leaves files of the folder out (a program's main.cpp).
# OBJECT makes an object library (for self-registering objects that a static
# library would leave out when nothing refers to them).
#
# scripts/check-layers.py reads these declarations from the CMakeLists.txt
# files: keep each call's folder and its REQUIRES words literal.

set_property(GLOBAL PROPERTY VELMORA_MODULES "")

# Links target with the libraries of the folders that `folder` requires.
function(velmora_link_required target scope folder)
  foreach(required IN LISTS ARGN)
    string(REPLACE "/" "_" required_name "${required}")
    if(NOT TARGET velmora_${required_name})
      message(FATAL_ERROR "${folder} requires ${required}, which is not declared before it")
    endif()
    target_link_libraries(${target} ${scope} velmora_${required_name})
  endforeach()
endfunction()

function(velmora_module folder)
  cmake_parse_arguments(ARG "OBJECT" "ROOT" "EXCLUDE;REQUIRES;QT" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "velmora_module(${folder}): unknown words ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT ARG_ROOT)
    set(ARG_ROOT ${PROJECT_SOURCE_DIR}/src)
  endif()
  string(REPLACE "/" "_" name "${folder}")
  set(target velmora_${name})
  set(dir ${ARG_ROOT}/${folder})

  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h ${dir}/*.qrc)
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${dir}/${excluded})
  endforeach()
  if(ARG_OBJECT)
    add_library(${target} OBJECT ${sources})
  else()
    add_library(${target} STATIC ${sources})
  endif()

  set(include_root ${CMAKE_BINARY_DIR}/include/${name})
  file(REMOVE_RECURSE ${include_root})
  file(MAKE_DIRECTORY ${include_root}/${folder})
  file(GLOB headers CONFIGURE_DEPENDS ${dir}/*.h)
  foreach(header IN LISTS headers)
    get_filename_component(header_name ${header} NAME)
    file(CREATE_LINK ${header} ${include_root}/${folder}/${header_name} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${include_root})

  target_link_libraries(${target} PUBLIC Qt6::Core)
  foreach(component IN LISTS ARG_QT)
    target_link_libraries(${target} PUBLIC Qt6::${component})
  endforeach()
  velmora_link_required(${target} PUBLIC ${folder} ${ARG_REQUIRES})
  set_property(GLOBAL APPEND PROPERTY VELMORA_MODULES ${target})
endfunction()

# velmora_program(<target> FOLDER <folder> SOURCES <file>... REQUIRES <folder>...)
#
# A program whose sources lie in src/<folder> and that links the libraries of
# the folders it requires, as velmora_module does for a library.
function(velmora_program target)
  cmake_parse_arguments(ARG "" "FOLDER" "SOURCES;REQUIRES" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "velmora_program(${target}): unknown words ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  add_executable(${target} ${ARG_SOURCES})
  velmora_link_required(${target} PRIVATE ${ARG_FOLDER} ${ARG_REQUIRES})
endfunction()
