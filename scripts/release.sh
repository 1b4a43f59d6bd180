#!/usr/bin/env bash
# Builds a release: the three Windows binaries (Release, stripped), the
# installer QEL-Display-<version>-x64.msi and the Group Policy template
# (PolicyDefinitions/ with the .admx and en-US/*.adml), in the given folder
# (build/release by default). The version is the one of the top-level CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=${1:-build/release}
version=$(sed -n 's/^project(QELDisplay VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
if [ -z "$version" ]; then
    echo "no version in CMakeLists.txt" >&2
    exit 1
fi

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target qeldsvc qeldcpl qeldcfg

files="$build/msi-files"
rm -rf "$files"
mkdir -p "$files"
for binary in service/qeldsvc.exe bin/qeldcpl.dll bin/qeldcfg.exe; do
    x86_64-w64-mingw32-strip --strip-all -o "$files/$(basename "$binary")" "$build/$binary"
done

msi="$build/QEL-Display-$version-x64.msi"
tools/msi/make-msi.sh "$version" "$files" "$msi"
rm -rf "$build/PolicyDefinitions"
cp -r tools/policy/PolicyDefinitions "$build/PolicyDefinitions"
echo "$msi"
echo "$build/PolicyDefinitions"
