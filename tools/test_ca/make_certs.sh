#!/usr/bin/env bash
# Makes the test certificates into OUT_DIR (inside a build tree; private keys are
# never committed). Kept when they are already there and still valid for a week.
#   ca.pem / ca.der            the project's test CA, which the test wine prefix trusts
#   server.pem / server.key    localhost, signed by the test CA
#   wrong-name.pem / .key      signed by the test CA, but for the name wrong-name.test
#   expired.pem / .key         localhost, signed by the test CA, expired in 2020
#   rogue-ca.pem               a CA nobody trusts
#   rogue-server.pem / .key    localhost, signed by the rogue CA
# usage: make_certs.sh OUT_DIR
set -euo pipefail
out=$(realpath -m "$1")
mkdir -p "$out"
cd "$out"

if [ -f rogue-server.pem ] && openssl x509 -in server.pem -noout -checkend 604800 >/dev/null 2>&1; then
  exit 0
fi
rm -f ./*.pem ./*.key ./*.der ./*.csr ./*.srl ./*.cnf index.txt* serial*

make_ca() {  # name subject
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 -subj "/CN=$2" \
    -keyout "$1.key" -out "$1.pem" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
}

make_request() {  # name dns
  openssl req -newkey rsa:2048 -nodes -sha256 -subj "/CN=$2" -keyout "$1.key" -out "$1.csr" 2>/dev/null
  printf 'basicConstraints=CA:FALSE\nsubjectAltName=DNS:%s\nextendedKeyUsage=serverAuth\nkeyUsage=digitalSignature,keyEncipherment\n' \
    "$2" >"$1.ext.cnf"
}

sign() {  # name ca
  openssl x509 -req -sha256 -days 825 -in "$1.csr" -CA "$2.pem" -CAkey "$2.key" -CAcreateserial \
    -extfile "$1.ext.cnf" -out "$1.pem" 2>/dev/null
}

make_ca ca "Mirevo Test CA"
openssl x509 -in ca.pem -outform DER -out ca.der
make_ca rogue-ca "Unknown Test CA"

make_request server localhost && sign server ca
make_request wrong-name wrong-name.test && sign wrong-name ca
make_request rogue-server localhost && sign rogue-server rogue-ca

# A certificate whose validity ended long ago needs "openssl ca", which can set dates.
make_request expired localhost
: >index.txt
echo 1000 >serial
cat >expired.ca.cnf <<CNF
[ca]
default_ca = test_ca
[test_ca]
database = index.txt
serial = serial
new_certs_dir = .
certificate = ca.pem
private_key = ca.key
default_md = sha256
policy = any
copy_extensions = none
[any]
commonName = supplied
CNF
openssl ca -batch -config expired.ca.cnf -notext -startdate 20200101000000Z -enddate 20201231000000Z \
  -extfile expired.ext.cnf -in expired.csr -out expired.pem 2>/dev/null
rm -f ./*.csr ./*.cnf ./*.srl index.txt* serial* ./1000.pem
chmod 600 ./*.key
