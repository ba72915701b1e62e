# The programs that ship (autorun, autorun-check) and the configuration they are built in.
#
# On Windows they come from a build of their own, inside the build folder (shipped/): the
# win32 thread model, so that the exception run time locks without winpthreads, and
# link-time optimisation across every object, so that of the framework's modules, which
# are linked whole for their globals, only what runs stays. The unit tests cannot be built
# that way (that thread model has no std::thread or std::mutex, which the tests and
# GoogleTest use) and keep the posix thread model of the build folder itself, which imports
# the shipped programs under their own names: every end-to-end test, the release's checks
# and the archive take exactly the files that ship.
#
#   kova_shipped_setup()
#       once, at the top, before any program: in the build folder, sets up the shipped
#       build; in the shipped build, turns on link-time optimisation for every target
#   kova_shipped_program(TARGET [SILENT])
#       a program built as the shipped ones are: on Windows stripped, with no link time in
#       its header, and neither the source nor the build folder in its objects or in those
#       of the project's libraries it is made of. SILENT: the C++ run time's failures end
#       as exceptions that need no standard exception class, and its terminate ends the
#       process at once without a word (kova_silent_runtime)
#   kova_shipped_import(TARGET)
#       in the build folder: TARGET as the shipped build makes it
#
#   KOVA_SHIPPED_ELSEWHERE   true where the programs are imported from the shipped build

set(KOVA_SHIPPED_BUILD OFF CACHE BOOL "This build is the shipped build of an enclosing one")
mark_as_advanced(KOVA_SHIPPED_BUILD)
if(WIN32 AND NOT KOVA_SHIPPED_BUILD)
  set(KOVA_SHIPPED_ELSEWHERE ON)
else()
  set(KOVA_SHIPPED_ELSEWHERE OFF)
endif()
set(KOVA_SHIPPED_DIR ${CMAKE_BINARY_DIR}/shipped)

# The settings that the shipped build takes over, with their cache types.
set(_KOVA_SHIPPED_SETTINGS
  CMAKE_BUILD_TYPE:STRING KOVA_WERROR:BOOL KOVA_ICON:FILEPATH KOVA_COMPANY_NAME:STRING
  KOVA_PRODUCT_NAME:STRING KOVA_COPYRIGHT:STRING BUILD_TESTING:BOOL)

# The build folder's side: the shipped build as a step of this one, configured from a cache
# script (the settings may hold quotes, backslashes and '$', which a command line would not
# carry whole) and built whenever this folder is.
function(_kova_shipped_external)
  set(script "")
  foreach(setting ${_KOVA_SHIPPED_SETTINGS})
    string(REPLACE ":" ";" setting "${setting}")
    list(GET setting 0 name)
    list(GET setting 1 type)
    set(value "${${name}}")
    foreach(special "\\" "\"" "$")
      string(REPLACE "${special}" "\\${special}" value "${value}")
    endforeach()
    string(APPEND script "set(${name} \"${value}\" CACHE ${type} \"\" FORCE)\n")
  endforeach()
  string(APPEND script
    "set(KOVA_SHIPPED_BUILD ON CACHE BOOL \"\" FORCE)\n"
    "set(KOVA_MINGW_THREADS win32 CACHE STRING \"\" FORCE)\n"
    "set(CMAKE_TOOLCHAIN_FILE \"${CMAKE_TOOLCHAIN_FILE}\" CACHE FILEPATH \"\" FORCE)\n"
    # Its programs land beside this folder's own, where the tests and the archive look.
    "set(CMAKE_RUNTIME_OUTPUT_DIRECTORY \"${CMAKE_BINARY_DIR}/bin\" CACHE PATH \"\" FORCE)\n")
  set(settings ${KOVA_SHIPPED_DIR}-settings.cmake)
  # Rewritten only when it changes: a change configures the shipped build again.
  file(WRITE ${settings}.new "${script}")
  file(COPY_FILE ${settings}.new ${settings} ONLY_IF_DIFFERENT)
  file(REMOVE ${settings}.new)

  include(ExternalProject)
  ExternalProject_Add(shipped
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${KOVA_SHIPPED_DIR}
    PREFIX ${KOVA_SHIPPED_DIR}-step
    CMAKE_ARGS -C ${settings}
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")
  ExternalProject_Add_StepDependencies(shipped configure ${settings})
endfunction()

function(kova_shipped_setup)
  if(KOVA_SHIPPED_ELSEWHERE)
    _kova_shipped_external()
  elseif(KOVA_SHIPPED_BUILD)
    # Every object of this build goes through link-time optimisation: objects with and
    # without it cannot share type information in one link. GCC 12 stops with an internal
    # error on the larger links unless the whole program is one partition.
    set(CMAKE_INTERPROCEDURAL_OPTIMIZATION ON PARENT_SCOPE)
    add_link_options(-flto-partition=one)
  endif()
endfunction()

function(kova_shipped_import target)
  add_executable(${target} IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION ${CMAKE_BINARY_DIR}/bin/${target}${CMAKE_EXECUTABLE_SUFFIX})
  add_dependencies(${target} shipped)
endfunction()

# The project's own targets that TARGET is made of: the libraries it links, directly or
# through others, and the object libraries whose objects it takes.
function(_kova_made_of target out)
  set(found)
  set(pending ${target})
  while(pending)
    list(POP_FRONT pending current)
    get_target_property(items ${current} LINK_LIBRARIES)
    get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
    get_target_property(sources ${current} SOURCES)
    foreach(item IN LISTS items interface sources)
      # Names inside generator expressions ($<TARGET_OBJECTS:x>, $<LINK_LIBRARY:F,x,y>) too.
      string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_.+-]*" names "${item}")
      foreach(name ${names})
        if(TARGET ${name} AND NOT name IN_LIST found)
          get_target_property(imported ${name} IMPORTED)
          if(NOT imported)
            list(APPEND found ${name})
            list(APPEND pending ${name})
          endif()
        endif()
      endforeach()
    endforeach()
  endwhile()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(kova_shipped_program target)
  cmake_parse_arguments(ARG "SILENT" "" "" ${ARGN})
  if(ARG_SILENT AND TARGET kova_silent_runtime)
    target_link_libraries(${target} PRIVATE kova_silent_runtime)
  endif()
  if(NOT WIN32)
    return()
  endif()
  # The same source gives the same bytes in any folder: no symbols (they name the
  # compiler's temporary files), no link time in the PE header, and no source or build
  # folder in any object (they would reach the program through __FILE__). Nothing else in
  # the build reads the clock: windres writes no time into the resources, and the programs
  # are linked statically from the same toolchain's archives. The later map wins for a
  # build folder inside the source folder.
  target_link_options(${target} PRIVATE -s LINKER:--no-insert-timestamp)
  _kova_made_of(${target} parts)
  foreach(part ${target} ${parts})
    get_target_property(type ${part} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      # Once per target, however many shipped programs share it.
      get_target_property(mapped ${part} KOVA_PREFIX_MAPPED)
      if(NOT mapped)
        set_property(TARGET ${part} PROPERTY KOVA_PREFIX_MAPPED ON)
        target_compile_options(${part} PRIVATE
          $<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>
          $<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=build/>)
      endif()
    endif()
  endforeach()
endfunction()
