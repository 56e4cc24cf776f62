# Authenticode signatures, made by osslsigncode when the build is given both
#   TAVREL_SIGN_CERT  the certificate, or the chain up from it (PEM or DER), and
#   TAVREL_SIGN_KEY   its private key (PEM or DER, not encrypted);
# without them Tavrel.exe and Tavrel.msi are left unsigned. With
#   TAVREL_TIMESTAMP_URL  an RFC 3161 time-stamp server's address,
# each signature also carries a time stamp from that server (cmake/sign_file.cmake signs).
set(TAVREL_SIGN_CERT "" CACHE FILEPATH "Certificate that signs Tavrel.exe and Tavrel.msi (none: unsigned)")
set(TAVREL_SIGN_KEY "" CACHE FILEPATH "Private key of TAVREL_SIGN_CERT")
set(TAVREL_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server for the signatures (none: no time stamp)")
if(TAVREL_SIGN_CERT OR TAVREL_SIGN_KEY)
  if(NOT (TAVREL_SIGN_CERT AND TAVREL_SIGN_KEY))
    message(FATAL_ERROR "Signing needs both TAVREL_SIGN_CERT and TAVREL_SIGN_KEY")
  endif()
  find_program(OSSLSIGNCODE osslsigncode REQUIRED)
endif()

# tavrel_sign_commands(FILE VAR): VAR gets the COMMAND lines that sign FILE in place, or
# nothing when the build is unsigned.
function(tavrel_sign_commands file var)
  set(commands)
  if(TAVREL_SIGN_CERT)
    set(commands COMMAND ${CMAKE_COMMAND} -DFILE=${file} -DCERT=${TAVREL_SIGN_CERT} -DKEY=${TAVREL_SIGN_KEY}
      -DTIMESTAMP_URL=${TAVREL_TIMESTAMP_URL} -DOSSLSIGNCODE=${OSSLSIGNCODE}
      -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/sign_file.cmake)
  endif()
  set(${var} ${commands} PARENT_SCOPE)
endfunction()

# tavrel_sign_target(TARGET): signs the target's file once it is linked.
function(tavrel_sign_target target)
  tavrel_sign_commands($<TARGET_FILE:${target}> commands)
  if(commands)
    add_custom_command(TARGET ${target} POST_BUILD ${commands} VERBATIM)
  endif()
endfunction()
