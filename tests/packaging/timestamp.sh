#!/bin/bash
# timestamp.sh SOURCE_DIR WINDOWS_BUILD_DIR CERTIFICATE KEY: the build's signing step
# (cmake/sign_file.cmake), given a time-stamp server's address, signs Tavrel.msi with an
# RFC 3161 time stamp, here from a time-stamp authority of the test's own on 127.0.0.1.
. "$(dirname "$0")/../support/fixture.sh"
src=$1 build=$2 cert=$3 key=$4
cd "$scratch" || exit 1
# A root, and under it the authority's certificate for time stamping alone.
openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Test TSA root" -keyout ca.key -out ca.pem \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=Test TSA" -keyout tsa.key -out tsa.csr 2>/dev/null
echo "extendedKeyUsage=critical,timeStamping" >ext && echo 01 >serial
openssl x509 -req -in tsa.csr -CA ca.pem -CAkey ca.key -set_serial 2 -days 30 -extfile ext -out tsa.pem 2>/dev/null
printf '%s\n' "[tsa]" "default_tsa = local" "[local]" "serial = serial" "signer_cert = tsa.pem" "signer_key = tsa.key" \
  "certs = tsa.pem" "signer_digest = sha256" "default_policy = 1.2.3.4.1" "digests = sha256" >ts.cnf
coproc TSA { exec /usr/bin/python3 "$src/tests/support/tsa.py" ts.cnf; }
read -r -t 10 port <&"${TSA[0]}" || { fail "the time-stamp authority did not start" && finish; }
cleanup() { kill "$TSA_PID"; }

osslsigncode remove-signature -in "$build/Tavrel.msi" -out Tavrel.msi >/dev/null 2>&1 || cp "$build/Tavrel.msi" .
cmake -DFILE=Tavrel.msi -DCERT="$cert" -DKEY="$key" -DTIMESTAMP_URL="http://127.0.0.1:$port" -P "$src/cmake/sign_file.cmake"
verified=$(osslsigncode verify -CAfile "$cert" -TSA-CAfile ca.pem -in Tavrel.msi 2>&1)
grep -E "Timestamp time|^Timestamp Server|^Signature verification" <<<"$verified"
check "signed, with a time stamp that verifies" eval \
  'grep -q "^Timestamp Server Signature verification: ok" <<<"$verified" && grep -q "^Signature verification: ok" <<<"$verified"'
finish
