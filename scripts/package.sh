#!/usr/bin/env bash
# Makes the release package dist/Tarvik32-<version>.zip from the i686 build
# (built first when needed): a folder Tarvik32 holding the program, the
# library, the help file and a Japanese readme.txt in CP932 with CR LF. The
# version is the CMake project version, as in the version resource.
#
# Prints the path of the package as its last line.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

tarvik_install >&2
tarvik_build "$BUILD_DIR" i686 >&2

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD_DIR/CMakeCache.txt")
zlib_version=$(sed -n 's/^#define ZLIB_VERSION "\(.*\)"/\1/p' /usr/i686-w64-mingw32/include/zlib.h)
[ -n "$version" ] && [ -n "$zlib_version" ] || { echo "package: version not found" >&2; exit 1; }

dist=$TARVIK_ROOT/dist
package=$dist/Tarvik32-$version.zip
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
folder=$staging/Tarvik32
mkdir -p "$folder"
for file in Tarvik32.exe cab32.dll Tarvik.hlp; do
  cp "$BUILD_DIR/bin/$file" "$folder/"
done
# iconv stops on a character CP932 lacks, so a readme that would lose text fails here.
sed -e "s/@VERSION@/$version/g" -e "s/@ZLIB_VERSION@/$zlib_version/g" "$TARVIK_ROOT/packaging/readme.txt" |
  iconv -f UTF-8 -t CP932 | sed 's/$/\r/' > "$folder/readme.txt"

mkdir -p "$dist"
rm -f "$package"
(cd "$staging" && zip -q -X -r "$package" Tarvik32)
echo "$package"
