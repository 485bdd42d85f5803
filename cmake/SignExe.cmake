# Signs the staged padwright.exe with Authenticode before CPack zips it
# (CPACK_PRE_BUILD_SCRIPTS), when the maintainer names a certificate in the environment:
#   PADWRIGHT_SIGN_PKCS12          a PKCS#12 file (.pfx/.p12) with the key and its certificates
#   PADWRIGHT_SIGN_PKCS11_MODULE   or a PKCS#11 module (a token or a signing service), with
#     PADWRIGHT_SIGN_PKCS11_KEY    the key's PKCS#11 URI and
#     PADWRIGHT_SIGN_CERTS         its certificate chain (PEM)
#     PADWRIGHT_SIGN_PKCS11_ENGINE the OpenSSL engine for the module, if not the default one
#   PADWRIGHT_SIGN_PASSWORD        the PKCS#12 file's password or the token's PIN (optional)
#   PADWRIGHT_SIGN_TIMESTAMP_URL   an RFC 3161 time-stamp server (optional; without one the
#                                  signature is no longer valid once the certificate expires)
# Without them the exe stays unsigned and one line says so. A certificate that is named but
# cannot be used stops the release: it is never made unsigned without saying so.
cmake_minimum_required(VERSION 3.25)

set(exe ${CPACK_TEMPORARY_DIRECTORY}/padwright.exe)
set(how "to sign it, set PADWRIGHT_SIGN_PKCS12 or PADWRIGHT_SIGN_PKCS11_MODULE (see README)")
if("$ENV{PADWRIGHT_SIGN_PKCS12}" STREQUAL "" AND "$ENV{PADWRIGHT_SIGN_PKCS11_MODULE}" STREQUAL "")
  message(STATUS "padwright.exe: unsigned, no certificate given; ${how}")
  return()
endif()
if(NOT EXISTS ${exe})
  message(FATAL_ERROR "padwright.exe: not staged at ${exe}")
endif()
find_program(OSSLSIGNCODE osslsigncode)
if(NOT OSSLSIGNCODE)
  message(FATAL_ERROR "padwright.exe: osslsigncode is missing to sign it "
                      "(bash scripts/install-deps.sh installs it)")
endif()

# A value from the environment as one argument of a command, whatever it holds: a PKCS#11
# URI separates its parts with semicolons, which would otherwise split it in a list.
macro(argument out var)
  string(REPLACE ";" "\\;" ${out} "$ENV{${var}}")
endmacro()
argument(pkcs12 PADWRIGHT_SIGN_PKCS12)
argument(module PADWRIGHT_SIGN_PKCS11_MODULE)
argument(uri PADWRIGHT_SIGN_PKCS11_KEY)
argument(certs PADWRIGHT_SIGN_CERTS)
argument(engine PADWRIGHT_SIGN_PKCS11_ENGINE)
argument(server PADWRIGHT_SIGN_TIMESTAMP_URL)

if(NOT "$ENV{PADWRIGHT_SIGN_PKCS12}" STREQUAL "")
  set(key -pkcs12 "${pkcs12}")
  set(source "PKCS#12 file $ENV{PADWRIGHT_SIGN_PKCS12}")
  if(NOT EXISTS "$ENV{PADWRIGHT_SIGN_PKCS12}")
    message(FATAL_ERROR "padwright.exe: PADWRIGHT_SIGN_PKCS12 names no file: "
                        "$ENV{PADWRIGHT_SIGN_PKCS12}")
  endif()
else()
  foreach(var PADWRIGHT_SIGN_PKCS11_KEY PADWRIGHT_SIGN_CERTS)
    if("$ENV{${var}}" STREQUAL "")
      message(FATAL_ERROR "padwright.exe: PADWRIGHT_SIGN_PKCS11_MODULE needs ${var} as well")
    endif()
  endforeach()
  set(key -pkcs11module "${module}" -key "${uri}" -certs "${certs}")
  if(NOT "$ENV{PADWRIGHT_SIGN_PKCS11_ENGINE}" STREQUAL "")
    list(APPEND key -pkcs11engine "${engine}")
  endif()
  set(source "PKCS#11 key $ENV{PADWRIGHT_SIGN_PKCS11_KEY}")
endif()

# The password goes through a file only its owner may read, never on a command line that
# every user of the machine can list.
set(options)
set(secret ${CPACK_TEMPORARY_DIRECTORY}.pass)
if(DEFINED ENV{PADWRIGHT_SIGN_PASSWORD})
  file(WRITE ${secret} "")
  file(CHMOD ${secret} PERMISSIONS OWNER_READ OWNER_WRITE)
  file(APPEND ${secret} "$ENV{PADWRIGHT_SIGN_PASSWORD}")
  list(APPEND options -readpass ${secret})
endif()
if(NOT "$ENV{PADWRIGHT_SIGN_TIMESTAMP_URL}" STREQUAL "")
  list(APPEND options -ts "${server}")
endif()

# The name is what Windows shows as the program in the administrator prompt.
file(REMOVE ${exe}.signed)
execute_process(COMMAND ${OSSLSIGNCODE} sign ${key} ${options} -h sha256 -n Padwright
                        -in ${exe} -out ${exe}.signed
                RESULT_VARIABLE rc OUTPUT_VARIABLE said ERROR_VARIABLE said)
file(REMOVE ${secret})
if(NOT rc EQUAL 0 OR NOT EXISTS ${exe}.signed)
  message(FATAL_ERROR "padwright.exe: signing with the ${source} failed:\n${said}")
endif()
file(RENAME ${exe}.signed ${exe})
set(stamp "")
if(NOT "$ENV{PADWRIGHT_SIGN_TIMESTAMP_URL}" STREQUAL "")
  set(stamp ", time-stamped by $ENV{PADWRIGHT_SIGN_TIMESTAMP_URL}")
endif()
message(STATUS "padwright.exe: signed with the ${source}${stamp}")
