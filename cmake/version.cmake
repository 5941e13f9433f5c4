# The release's version, given once as KELVAMO_VERSION, and what the build makes of it: every text
# of setup.exe's resources that names it, its version record and its manifest.
#
# A version reads MAJOR.MINOR[.PATCH].MMDD[ STAGE], as the product names its releases: "1.0.0513
# beta" is 1.0 of 13 May, a beta. Windows' version record takes four numbers below 65536: MAJOR,
# MINOR, PATCH (0 when there is none) and the build, 1, as the record of 1.0 has them. The day and
# the stage stay in the texts and in the uninstall entry, which setup.exe compares versions by.

# The four numbers of `version` as a list, in `out_var`; a version of another form stops the
# configuration and says which form it needs. Only letters and digits in the stage: the version
# is written into resource scripts and C strings as it stands.
function(kelvamo_version_numbers version out_var)
  set(form "^([0-9]+)\\.([0-9]+)(\\.([0-9]+))?\\.[0-9][0-9][0-9][0-9]( [A-Za-z0-9]+)?$")
  if(NOT version MATCHES "${form}")
    message(FATAL_ERROR "KELVAMO_VERSION \"${version}\" is not MAJOR.MINOR[.PATCH].MMDD[ STAGE] "
      "(for example \"1.0.0513 beta\" or \"1.2.1.0620\")")
  endif()
  set(numbers ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} 0 1)
  if(CMAKE_MATCH_4)
    list(REMOVE_AT numbers 2)
    list(INSERT numbers 2 ${CMAKE_MATCH_4})
  endif()
  foreach(number IN LISTS numbers)
    if(number GREATER 65535)
      message(FATAL_ERROR "KELVAMO_VERSION \"${version}\": ${number} does not fit a version record")
    endif()
  endforeach()
  # Leading zeros would read as octal numbers in the resource script.
  list(TRANSFORM numbers REPLACE "^0+([0-9])" "\\1")
  set(${out_var} ${numbers} PARENT_SCOPE)
endfunction()

# setup.rc and setup.manifest for `version`, written into `dir`, which the resource compiler
# searches first.
function(kelvamo_setup_resources dir version)
  kelvamo_version_numbers("${version}" numbers)
  set(KELVAMO_VERSION "${version}")
  list(JOIN numbers ", " KELVAMO_VERSION_COMMAS)
  list(JOIN numbers "." KELVAMO_VERSION_DOTS)
  configure_file(${PROJECT_SOURCE_DIR}/setup/res/setup.rc.in ${dir}/setup.rc @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/setup/res/setup.manifest.in ${dir}/setup.manifest @ONLY)
endfunction()
