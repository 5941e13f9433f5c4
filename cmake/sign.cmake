# Authenticode (SHA-256) for the programs the build ships, run by the build as a script:
#   cmake -DCERT_DIR=<folder> -P sign.cmake                 makes the test certificate if needed
#   cmake -DCERT_DIR=<folder> -DFILE=<program> [-DSOURCE_DIR=<tree>] -P sign.cmake
#                                                           signs the program in place
# The signing time is the source's, not the clock's, so that two builds of one commit sign alike:
# SOURCE_DATE_EPOCH when set, else the time of the commit SOURCE_DIR is checked out at, else a
# fixed day.
# The certificate comes from the environment of the build:
#   KELVAMO_SIGN_PFX (+ KELVAMO_SIGN_PASSWORD)               a PKCS#12 file
#   KELVAMO_SIGN_CERT + KELVAMO_SIGN_KEY (+ KELVAMO_SIGN_PASSWORD)  PEM certificate and key
#   KELVAMO_SIGN_TIMESTAMP                                    an RFC 3161 server (optional)
# Without either, a self-signed test certificate made once in CERT_DIR signs every build alike.

set(test_cert "${CERT_DIR}/kelvamo-test-signing.crt")
set(test_key "${CERT_DIR}/kelvamo-test-signing.key")
set(from_pfx "$ENV{KELVAMO_SIGN_PFX}")
set(from_pem "$ENV{KELVAMO_SIGN_CERT}")

if(NOT from_pfx AND NOT from_pem AND NOT EXISTS "${test_cert}")
  find_program(openssl openssl REQUIRED)
  file(MAKE_DIRECTORY "${CERT_DIR}")
  # Written under other names first: an interrupted run leaves no half certificate behind.
  execute_process(
    COMMAND "${openssl}" req -x509 -newkey rsa:2048 -sha256 -nodes -days 3650
            -subj "/CN=Kelvamo Test Signing Certificate (not for release)/O=Kelvamo test build"
            -addext "keyUsage=critical,digitalSignature"
            -addext "extendedKeyUsage=codeSigning"
            -keyout "${test_key}.new" -out "${test_cert}.new"
    RESULT_VARIABLE made OUTPUT_QUIET ERROR_VARIABLE made_error)
  if(NOT made EQUAL 0)
    message(FATAL_ERROR "openssl could not make the test certificate: ${made_error}")
  endif()
  file(RENAME "${test_key}.new" "${test_key}")
  file(RENAME "${test_cert}.new" "${test_cert}")
endif()
if(NOT FILE)
  return()
endif()

find_program(osslsigncode osslsigncode REQUIRED)
if(from_pfx)
  set(identity -pkcs12 "${from_pfx}")
elseif(from_pem)
  set(identity -certs "${from_pem}" -key "$ENV{KELVAMO_SIGN_KEY}")
else()
  set(identity -certs "${test_cert}" -key "${test_key}")
endif()
if(DEFINED ENV{KELVAMO_SIGN_PASSWORD})
  list(APPEND identity -pass "$ENV{KELVAMO_SIGN_PASSWORD}")
endif()
if(DEFINED ENV{KELVAMO_SIGN_TIMESTAMP})
  list(APPEND identity -ts "$ENV{KELVAMO_SIGN_TIMESTAMP}")
endif()

set(signing_time 1704067200)  # 2024-01-01, the payload's entry time
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(signing_time "$ENV{SOURCE_DATE_EPOCH}")
elseif(SOURCE_DIR)
  find_program(git git)
  if(git)
    execute_process(COMMAND "${git}" -C "${SOURCE_DIR}" log -1 --format=%ct
      RESULT_VARIABLE logged OUTPUT_VARIABLE commit_time ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(logged EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
      set(signing_time ${commit_time})
    endif()
  endif()
endif()
if(NOT signing_time MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH \"${signing_time}\" is not a count of seconds")
endif()

# osslsigncode writes a new file. A program signed before gets its old signature taken off first,
# so signing again replaces it rather than nesting a second one.
set(unsigned "${FILE}.unsigned")
file(REMOVE "${unsigned}" "${FILE}.signed")  # left by an interrupted run, they would stop this one
execute_process(COMMAND "${osslsigncode}" remove-signature -in "${FILE}" -out "${unsigned}"
  RESULT_VARIABLE removed OUTPUT_QUIET ERROR_QUIET)
if(NOT removed EQUAL 0)
  file(COPY_FILE "${FILE}" "${unsigned}")
endif()
execute_process(
  COMMAND "${osslsigncode}" sign ${identity} -h sha256 -n Kelvamo -time ${signing_time}
          -in "${unsigned}" -out "${FILE}.signed"
  RESULT_VARIABLE signed OUTPUT_QUIET ERROR_VARIABLE sign_error)
file(REMOVE "${unsigned}")
if(NOT signed EQUAL 0)
  # No unsigned program may look built: the next build links it again.
  file(REMOVE "${FILE}" "${FILE}.signed")
  message(FATAL_ERROR "osslsigncode could not sign ${FILE}: ${sign_error}")
endif()
file(RENAME "${FILE}.signed" "${FILE}")
