# What a program that ships on removable media needs in its image, beyond what the linker
# gives it (ASLR with kept relocations, DEP):
#
#   kova_harden_program(TARGET)
#       links in the load configuration of harden/LoadConfig.cpp (the DLLs the program
#       imports come from the system folder only) and, after the link, writes the image's
#       directory entry for it, which GNU ld leaves empty (harden/write-load-config.py; the
#       same input gives the same bytes). A 32-bit image is linked as one that registers no
#       SEH handler, which is true of it: the C++ exceptions of this toolchain unwind with
#       DWARF tables, the C runtime sets an unhandled-exception filter and the thread
#       library may add a vectored handler, neither of which is an SEH handler
#       (release.hardened.* checks that no code touches the SEH chain). Windows programs
#       only; elsewhere nothing is done.
#
# It must stay the last step that writes the program: one that rewrote the PE headers
# after it (a strip, say) could drop the entry.

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(KOVA_HARDEN_DIR ${CMAKE_CURRENT_LIST_DIR}/harden)

function(kova_harden_program target)
  if(NOT WIN32)
    return()
  endif()
  target_sources(${target} PRIVATE ${KOVA_HARDEN_DIR}/LoadConfig.cpp)
  # 32-bit C names carry a leading underscore.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(symbol __load_config_used)
    target_link_options(${target} PRIVATE "LINKER:--no-seh")
  else()
    set(symbol _load_config_used)
  endif()
  # The link map tells the step where the structure lies (the program keeps no symbols);
  # the structure must be there, and no garbage collection of sections may drop it.
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.link.map)
  target_link_options(${target} PRIVATE "LINKER:-Map=${map}" "LINKER:--require-defined=${symbol}")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${Python3_EXECUTABLE} ${KOVA_HARDEN_DIR}/write-load-config.py $<TARGET_FILE:${target}> ${map}
    VERBATIM)
endfunction()
