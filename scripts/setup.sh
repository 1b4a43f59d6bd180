#!/usr/bin/env bash
# Installs what the build, the tests and the demo need from Debian's packages.
# Quiet and quick when everything is already there.
set -euo pipefail

packages=(cmake make g++ googletest libgtest-dev libbenchmark-dev clang-format
          g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
          make wine wine64 xvfb imagemagick fonts-urw-base35 msitools wixl
          clang libclang-rt-dev osslsigncode openssl python3)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    # A normal user installs through sudo; root needs no sudo, which a
    # minimal machine may not have.
    sudo=()
    [ "$(id -u)" = 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
