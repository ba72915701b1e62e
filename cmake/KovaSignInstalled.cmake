# Runs when the programs are installed, and so when CPack fills the release archive: signs
# them with scripts/sign.sh when KOVA_SIGN_PKCS12 is set (scripts/sign.sh reads the other
# KOVA_SIGN_ variables). CPack runs in the build folder; relative paths in the variables are
# taken from the source folder instead, where the presets are run.
#   KOVA_SOURCE_DIR, KOVA_SIGN_PROGRAMS   set by the install code that includes this file
if("$ENV{KOVA_SIGN_PKCS12}" STREQUAL "")
  return()
endif()
foreach(variable KOVA_SIGN_PKCS12 KOVA_SIGN_PASSWORD_FILE)
  if(NOT "$ENV{${variable}}" STREQUAL "")
    get_filename_component(path "$ENV{${variable}}" ABSOLUTE BASE_DIR "${KOVA_SOURCE_DIR}")
    set(ENV{${variable}} "${path}")
  endif()
endforeach()
execute_process(COMMAND bash "${KOVA_SOURCE_DIR}/scripts/sign.sh" ${KOVA_SIGN_PROGRAMS}
                COMMAND_ERROR_IS_FATAL ANY)
