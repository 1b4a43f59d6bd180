#!/usr/bin/env bash
# Signs the build's binaries and installer as a release does, with a
# throw-away CA and code-signing certificate, and checks that every file
# verifies against that CA, that a changed file does not, and that signing
# against a CA that does not vouch for the certificate is refused.
# Usage: signing_test.sh <version> <folder of the unsigned binaries>
set -euo pipefail
version=$1 unsigned=$(realpath "$2")
root=$(realpath "$(dirname "$0")/../..")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

certificateAuthority() {
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 2 \
        -subj "/CN=QEL Display test CA $1" -addext "basicConstraints=critical,CA:TRUE" \
        -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
}
certificateAuthority ca
certificateAuthority other
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
    -subj "/CN=QEL Display test signer" 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
    -extfile signer.ext -out signer.pem 2>/dev/null
openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -out signer.p12 \
    -passout pass:test-password

export QELD_SIGN_PKCS12=$work/signer.p12 QELD_SIGN_PASSWORD=test-password QELD_SIGN_CA=$work/ca.pem
bash "$root/scripts/sign-release.sh" "$version" "$unsigned" signed release.msi >sign.log 2>&1 ||
    { cat sign.log >&2; fail "signing with a good certificate"; }
for file in signed/qeldsvc.exe signed/qeldcpl.dll signed/qeldcfg.exe signed/qeldmsi.dll release.msi; do
    osslsigncode verify -CAfile ca.pem -in "$file" >/dev/null 2>&1 || fail "$file does not verify"
done

# One byte changed in the middle of a signed program.
cp signed/qeldsvc.exe tampered.exe
offset=$(($(stat -c %s tampered.exe) / 2))
byte=$(od -An -tu1 -j "$offset" -N1 tampered.exe | tr -d ' ')
printf "$(printf '\\%03o' $(((byte + 1) % 256)))" |
    dd of=tampered.exe bs=1 seek="$offset" conv=notrunc status=none
if osslsigncode verify -CAfile ca.pem -in tampered.exe >/dev/null 2>&1; then
    fail "a changed program still verifies"
fi

# The certificate is not vouched for by this CA, so the release is refused.
if QELD_SIGN_CA=$work/other.pem bash "$root/scripts/sign-release.sh" "$version" "$unsigned" \
        refused refused.msi >refused.log 2>&1; then
    fail "a release whose signatures do not verify was accepted"
fi
grep -q "does not verify" refused.log || fail "the refusal does not say which file failed"
[ ! -e refused.msi ] || fail "a refused release left its installer behind"
echo "signed, verified, tampered file refused"
