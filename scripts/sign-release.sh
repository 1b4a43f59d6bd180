#!/usr/bin/env bash
# Signs a release with Authenticode (SHA-256): copies the binaries of one build
# into a folder of their own, signs each, packages the installer again from
# the signed binaries, signs the installer, and verifies every signature.
# Exits non-zero, naming the file, when any signature fails to verify.
# Usage: sign-release.sh <version> <folder of the unsigned binaries> <folder for the signed ones> <output.msi>
# Environment: QELD_SIGN_PKCS12 (the certificate and its key, PKCS#12) and
# QELD_SIGN_PASSWORD; QELD_TIMESTAMP_URL (optional, an RFC 3161 time-stamp
# server); QELD_SIGN_CA (optional, the PEM file of the CAs to verify against;
# the system's trusted CAs by default).
set -euo pipefail
if [ $# -ne 4 ]; then
    echo "usage: $0 <version> <unsigned folder> <signed folder> <output.msi>" >&2
    exit 2
fi
version=$1 unsigned=$2 signed=$3 msi=$4
: "${QELD_SIGN_PKCS12:?the PKCS#12 file of the signing certificate}"
: "${QELD_SIGN_PASSWORD:?the password of the PKCS#12 file}"
ca=${QELD_SIGN_CA:-/etc/ssl/certs/ca-certificates.crt}
binaries=(qeldsvc.exe qeldcpl.dll qeldcfg.exe qeldmsi.dll)

# The password goes to osslsigncode through a pipe, never on a command line
# that other users of the machine could read.
sign() {
    local file=$1 out="$1.signing"
    local options=(-pkcs12 "$QELD_SIGN_PKCS12" -h sha256 -n "Zelqa QEL Display")
    if [ -n "${QELD_TIMESTAMP_URL:-}" ]; then
        options+=(-ts "$QELD_TIMESTAMP_URL")
    fi
    rm -f "$out"
    if ! osslsigncode sign "${options[@]}" -readpass <(printf '%s' "$QELD_SIGN_PASSWORD") \
            -in "$file" -out "$out" >"$out.log" 2>&1; then
        echo "signing $file failed:" >&2
        cat "$out.log" >&2
        rm -f "$out" "$out.log"
        return 1
    fi
    rm -f "$out.log"
    mv "$out" "$file"
}

verify() {
    local file=$1 options=(-CAfile "$ca")
    if [ -n "${QELD_TIMESTAMP_URL:-}" ]; then
        options+=(-TSA-CAfile "$ca")
    fi
    if ! osslsigncode verify "${options[@]}" -in "$file" >"$file.verify.log" 2>&1; then
        echo "the signature of $file does not verify:" >&2
        cat "$file.verify.log" >&2
        rm -f "$file.verify.log"
        return 1
    fi
    rm -f "$file.verify.log"
}

# A release that fails to sign or verify leaves no installer behind that
# could pass for a signed one.
trap 'rm -f "$msi"' ERR
rm -rf "$signed"
mkdir -p "$signed"
for binary in "${binaries[@]}"; do
    cp "$unsigned/$binary" "$signed/$binary"
    sign "$signed/$binary"
done
bash "$(dirname "$0")/../tools/msi/make-msi.sh" "$version" "$signed" "$msi"
sign "$msi"
for file in "${binaries[@]/#/$signed/}" "$msi"; do
    verify "$file"
done
