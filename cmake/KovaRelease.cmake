# What turns the built programs into a release a disc author can ship: Windows resources
# (version information, manifest, icon) and the release archive. How the shipped programs
# themselves are built, the same bytes wherever and whenever, is cmake/KovaShipped.cmake.
#
#   kova_windows_resources(TARGET name DESCRIPTION text ORIGINAL_NAME file.exe [ICON file.ico])
#       gives a Windows program its version resource, its manifest and, optionally, an icon,
#       and hardens its image (KovaHarden.cmake)
#   kova_release_package()
#       after every program is defined: installs the shipped programs and the documents, and
#       sets up CPack, so that the "package" target makes autorun-<version>-win32.zip
#       (-win64 in a 64-bit build)

include(KovaHarden)
include(KovaIcon)

set(KOVA_COMPANY_NAME "the autorun launcher's developers" CACHE STRING
    "Company name in the programs' version resources")
set(KOVA_PRODUCT_NAME "autorun launcher" CACHE STRING
    "Product name in the programs' version resources")
set(KOVA_COPYRIGHT "Copyright (c) 2026 the autorun launcher's developers" CACHE STRING
    "Copyright notice in the programs' version resources")
set(KOVA_ICON "" CACHE FILEPATH "An icon file (.ico) for autorun.exe: its first icon group")

if(KOVA_ICON)
  # Given with its type (-DKOVA_ICON:FILEPATH=...), a relative path stays relative: take it
  # from the source folder, where the presets are run.
  get_filename_component(KOVA_ICON "${KOVA_ICON}" ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
  kova_check_icon("${KOVA_ICON}" kova_icon_problem)
  if(kova_icon_problem)
    message(FATAL_ERROR "KOVA_ICON: ${kova_icon_problem}")
  endif()
endif()

set(KOVA_RESOURCE_TEMPLATES ${CMAKE_CURRENT_LIST_DIR}/resources)

# Text as a string literal of a resource script: quotes doubled, backslashes escaped.
function(_kova_rc_string text out)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\"\"" text "${text}")
  string(REPLACE "\n" " " text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(kova_windows_resources)
  cmake_parse_arguments(ARG "" "TARGET;DESCRIPTION;ORIGINAL_NAME;ICON" "" ${ARGN})
  if(NOT ARG_TARGET OR NOT ARG_DESCRIPTION OR NOT ARG_ORIGINAL_NAME)
    message(FATAL_ERROR "kova_windows_resources needs TARGET, DESCRIPTION and ORIGINAL_NAME")
  endif()
  if(NOT WIN32)
    return()
  endif()
  kova_harden_program(${ARG_TARGET})

  set(KOVA_RC_TARGET ${ARG_TARGET})
  _kova_rc_string("${ARG_DESCRIPTION}" KOVA_RC_DESCRIPTION)
  _kova_rc_string("${ARG_ORIGINAL_NAME}" KOVA_RC_ORIGINAL_NAME)
  _kova_rc_string("${KOVA_COMPANY_NAME}" KOVA_RC_COMPANY)
  _kova_rc_string("${KOVA_PRODUCT_NAME}" KOVA_RC_PRODUCT)
  _kova_rc_string("${KOVA_COPYRIGHT}" KOVA_RC_COPYRIGHT)
  _kova_rc_string("${KOVA_RESOURCE_TEMPLATES}/program.manifest" KOVA_RC_MANIFEST)
  set(depends ${KOVA_RESOURCE_TEMPLATES}/program.manifest)
  set(KOVA_RC_ICON "// (no icon)")
  if(ARG_ICON)
    kova_check_icon("${ARG_ICON}" problem)
    if(problem)
      message(FATAL_ERROR "The icon of ${ARG_TARGET}: ${problem}")
    endif()
    _kova_rc_string("${ARG_ICON}" icon)
    set(KOVA_RC_ICON "1 ICON \"${icon}\"")
    list(APPEND depends ${ARG_ICON})
  endif()

  set(script ${CMAKE_BINARY_DIR}/resources/${ARG_TARGET}.rc)
  configure_file(${KOVA_RESOURCE_TEMPLATES}/program.rc.in ${script} @ONLY)
  target_sources(${ARG_TARGET} PRIVATE ${script})
  # windres reads the manifest and the icon itself: no dependency scanner sees them.
  set_property(SOURCE ${script} APPEND PROPERTY OBJECT_DEPENDS ${depends})
endfunction()

function(kova_release_package)
  # The programs a disc author ships.
  set(programs autorun autorun-check)
  set(KOVA_SHIPPED_PROGRAMS ${programs} CACHE INTERNAL "The programs in the release archive")
  # For scripts that build only what ships (scripts/check-reproducible.sh).
  file(WRITE ${CMAKE_BINARY_DIR}/shipped-programs.txt "${programs}\n")
  # The documents, with Windows line ends: they are read on Windows, in any Notepad.
  set(documents)
  foreach(document release/autorun.inf release/DISC-AUTHORS-GUIDE.txt LICENSE)
    get_filename_component(name ${document} NAME)
    if(name STREQUAL "LICENSE")
      set(name LICENSE.txt)
    endif()
    configure_file(${PROJECT_SOURCE_DIR}/${document} ${CMAKE_BINARY_DIR}/release/${name}
                   @ONLY NEWLINE_STYLE CRLF)
    list(APPEND documents ${CMAKE_BINARY_DIR}/release/${name})
  endforeach()
  if(NOT WIN32 OR KOVA_SHIPPED_BUILD)
    return()
  endif()

  # The files themselves: on Windows the programs are imported from the shipped build.
  foreach(program ${programs})
    install(PROGRAMS $<TARGET_FILE:${program}> DESTINATION .)
  endforeach()
  # Programs are signed in the archive when the author asks for it (see scripts/sign.sh):
  # the build folder keeps the unsigned files that anyone can rebuild byte for byte.
  set(files)
  foreach(program ${programs})
    list(APPEND files "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/$<TARGET_FILE_NAME:${program}>")
  endforeach()
  install(CODE "
    set(KOVA_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
    set(KOVA_SIGN_PROGRAMS ${files})
    include(\"${CMAKE_CURRENT_FUNCTION_LIST_DIR}/KovaSignInstalled.cmake\")")
  install(FILES ${documents} DESTINATION .)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME autorun)
  set(CPACK_PACKAGE_VENDOR "${KOVA_COMPANY_NAME}")
  # The disc ships the 32-bit programs; a 64-bit build's archive says that it is one.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME autorun-${PROJECT_VERSION}-win64)
  else()
    set(CPACK_PACKAGE_FILE_NAME autorun-${PROJECT_VERSION}-win32)
  endif()
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  include(CPack)
endfunction()
