#!/bin/sh
# Signing a release, on the program the Wine tests run: a throwaway
# certificate authority and code-signing certificate made here, the program
# signed by scripts/sign as "make sign" signs dist/setup.exe (from a PKCS#12
# file with a password, and from a certificate and key), each signature
# verified against that authority and refused by another; a changed byte
# breaks the signature, and a file that is not the build's is not signed.
# FOLDER/setup.exe, the signed program, is what e2e_corrupt_setup_test runs
# to a finished installation.
#
#   signing_test.sh SOURCE-DIR BUILT-SETUP.EXE FOLDER
set -e
sign=$1/scripts/sign
built=$2
out=$3
rm -rf "$out"
mkdir -p "$out/pair"
cd "$out"
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
# Flips one byte of a file in place.
flip() {
    at=$(($(wc -c <"$1") / 2))
    byte=$(dd if="$1" bs=1 skip="$at" count=1 2>/dev/null | od -An -tu1 | tr -d ' ')
    printf "\\$(printf %03o $((byte ^ 16)))" | dd of="$1" bs=1 seek="$at" conv=notrunc 2>/dev/null
}
# An authority of its own, and a certificate for signing code that it issued.
authority() {
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$2" -keyout "$1.key" \
        -out "$1.pem" -addext basicConstraints=critical,CA:TRUE \
        -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
}
authority ca "Quorvale Test Authority"
authority stranger "Another Authority"
openssl req -newkey rsa:2048 -nodes -subj "/CN=Quorvale Test Release" -keyout signer.key \
    -out signer.csr 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
    >signer.ext
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
    -extfile signer.ext -out signer.pem 2>/dev/null
openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem \
    -passout pass:test-password -out signer.p12

cp "$built" setup.exe
SIGN_PKCS12=signer.p12 SIGN_PASSWORD=test-password "$sign" "$built" setup.exe
cp "$built" pair/setup.exe
SIGN_CERT=signer.pem SIGN_KEY=signer.key "$sign" "$built" pair/setup.exe

for signed in setup.exe pair/setup.exe; do
    osslsigncode verify -CAfile ca.pem -in "$signed" >verify.log 2>&1 ||
        { cat verify.log; fail "$signed does not verify against the authority"; }
    grep -q "Message digest algorithm *: SHA256" verify.log || { cat verify.log; fail "$signed: not SHA-256"; }
    grep -q "Subject: .*CN *= *Quorvale Test Release" verify.log || { cat verify.log; fail "$signed: other signer"; }
    osslsigncode verify -CAfile stranger.pem -in "$signed" >/dev/null 2>&1 &&
        fail "$signed verifies against an authority that did not issue its certificate"
done

cp setup.exe changed.exe
flip changed.exe
osslsigncode verify -CAfile ca.pem -in changed.exe >/dev/null 2>&1 &&
    fail "a signed file with a changed byte still verifies"

# Not the build's file: changed, or signed already. Nothing is signed.
cp "$built" other.exe
flip other.exe
cp other.exe other-before.exe
SIGN_PKCS12=signer.p12 SIGN_PASSWORD=test-password "$sign" "$built" other.exe 2>refused.log &&
    fail "a file that is not the build's was signed"
grep -q "is not the file the build made" refused.log || { cat refused.log; fail "no reason given"; }
cmp -s other.exe other-before.exe || fail "the refused file was changed"
cp setup.exe again.exe
SIGN_PKCS12=signer.p12 SIGN_PASSWORD=test-password "$sign" "$built" again.exe 2>refused.log &&
    fail "a signed file was signed again"
grep -q "is signed already" refused.log || { cat refused.log; fail "no reason given"; }
cmp -s again.exe setup.exe || fail "the refused file was changed"
echo "signed, verified, and refused where it should"
