#!/usr/bin/env bash
# Builds a release: the three Windows binaries (Release, stripped), the
# installer QEL-Display-<version>-x64.msi, the Group Policy template
# (PolicyDefinitions/ with the .admx and en-US/*.adml) and the health check
# for fleet tools (QELDisplayHealth.ps1), in the given folder
# (build/release by default). The version is the one of project() in the
# top-level CMakeLists.txt; the installer is the build's target installer_package.
# Given a certificate (QELD_SIGN_PKCS12, a PKCS#12 file, and QELD_SIGN_PASSWORD;
# optionally QELD_TIMESTAMP_URL and QELD_SIGN_CA, see sign-release.sh), the
# binaries and the installer are signed and every signature verified; without
# one the release is built unsigned and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=${1:-build/release}
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target installer_package

# The version is the build's own, from the header it generated.
version=$(sed -n 's/^#define QELD_VERSION_TEXT "\(.*\)"$/\1/p' "$build/generated/qeld_version.h")
msi="$build/QEL-Display-$version-x64.msi"
if [ ! -f "$msi" ]; then
    echo "no installer $msi" >&2
    exit 1
fi
if [ -n "${QELD_SIGN_PKCS12:-}" ]; then
    bash scripts/sign-release.sh "$version" "$build/tools/msi/files" "$build/signed" "$msi"
    echo "signed release: every signature verifies"
else
    echo "UNSIGNED release: set QELD_SIGN_PKCS12 and QELD_SIGN_PASSWORD to sign it"
fi
rm -rf "$build/PolicyDefinitions"
cp -r tools/policy/PolicyDefinitions "$build/PolicyDefinitions"
cp tools/monitoring/QELDisplayHealth.ps1 "$build/QELDisplayHealth.ps1"
echo "$msi"
echo "$build/PolicyDefinitions"
echo "$build/QELDisplayHealth.ps1"
