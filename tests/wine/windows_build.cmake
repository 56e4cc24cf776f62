# The Windows build that the Wine tests run, made by this build from the same sources in
# TAVREL_WINDOWS_BUILD_DIR. It is signed with a throwaway certificate made here, so that
# the tests run the signed program and installer.
set(TAVREL_WINDOWS_BUILD_DIR ${CMAKE_BINARY_DIR}/windows CACHE PATH
  "Where the Linux build makes the Windows build that its Wine tests run")
set(signer ${CMAKE_BINARY_DIR}/test-signer)
if(NOT EXISTS ${signer}/cert.pem)
  file(MAKE_DIRECTORY ${signer})
  execute_process(COMMAND openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Tavrel test signer"
    -addext extendedKeyUsage=codeSigning -keyout ${signer}/key.pem -out ${signer}/cert.pem
    OUTPUT_QUIET ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
endif()
set(windows ${TAVREL_WINDOWS_BUILD_DIR})
include(ExternalProject)
ExternalProject_Add(windows_build
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${windows}
  CMAKE_ARGS --toolchain ${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel
    -DTAVREL_WERROR=${TAVREL_WERROR} -DTAVREL_SIGN_CERT=${signer}/cert.pem -DTAVREL_SIGN_KEY=${signer}/key.pem
  BUILD_ALWAYS ON
  INSTALL_COMMAND "")
set(tavrel_exe ${windows}/src/Tavrel.exe)
set(tavrel_msi ${windows}/Tavrel.msi)
