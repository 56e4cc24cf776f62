# Signs one file in place (Authenticode, SHA-256), as the build does when given a certificate:
#   cmake -DFILE=... -DCERT=... -DKEY=... [-DTIMESTAMP_URL=...] [-DOSSLSIGNCODE=...] -P sign_file.cmake
# With TIMESTAMP_URL the signature carries an RFC 3161 time stamp from that server, so that
# it still verifies after the certificate has expired.
if(NOT OSSLSIGNCODE)
  set(OSSLSIGNCODE osslsigncode)
endif()
set(stamp)
if(TIMESTAMP_URL)
  set(stamp -ts ${TIMESTAMP_URL})
endif()
file(REMOVE ${FILE}.signed)
execute_process(COMMAND ${OSSLSIGNCODE} sign -certs ${CERT} -key ${KEY} -h sha256 -n Tavrel ${stamp}
  -in ${FILE} -out ${FILE}.signed OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(RENAME ${FILE}.signed ${FILE})
