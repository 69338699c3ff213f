#!/usr/bin/env bash
# Packs the release archives into dist/: for Linux x86-64, Windows x64 and
# Linux on 64-bit ARM, each with the three engines, the three tools, the
# README and the licence, plus a SHA-256 list of the archives (SHA256SUMS).
# With a fourth folder, the built web page too, as a zip of one folder for
# any static host with a note on the headers it needs.
# The version comes from src/version.hpp.
#
#   scripts/dist.sh LINUX_BUILD WINDOWS_BUILD AARCH64_BUILD [WEB_DIST]
set -euo pipefail

cd "$(dirname "$0")/.."
linux=$1 windows=$2 aarch64=$3 web=${4:-}

version=$(sed -n 's/^inline constexpr char VERSION\[\] = "\(.*\)";$/\1/p' src/version.hpp)
if [ -z "$version" ]; then
    echo "no version found in src/version.hpp" >&2
    exit 1
fi
# The tool and the README must show the same version as the archive names.
if ! "$linux/tallomir-tool-vendrel" perft startpos 1 | head -n 1 | grep -q "^tallomir $version "; then
    echo "$linux/tallomir-tool-vendrel does not show version $version: rebuild it" >&2
    exit 1
fi
if ! grep -q "tallomir-$version-" README.md; then
    echo "README.md does not name the archives of version $version" >&2
    exit 1
fi

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
rm -rf dist
mkdir -p dist

# stage PLATFORM BUILD_DIR SUFFIX STRIP: copies the programs and documents.
stage() {
    local dir=$stage/tallomir-$version-$1 build=$2 suffix=$3 strip=$4 edition program
    mkdir -p "$dir"
    for edition in vendrel ostravine fenna; do
        for program in "tallomir-$edition" "tallomir-tool-$edition"; do
            if [ ! -f "$build/$program$suffix" ]; then
                echo "missing $build/$program$suffix" >&2
                exit 1
            fi
            "$strip" -o "$dir/$program$suffix" "$build/$program$suffix"
        done
    done
    cp README.md LICENSE "$dir/"
}

tarball() {
    tar -C "$stage" --sort=name --owner=0 --group=0 --numeric-owner -czf "dist/tallomir-$version-$1.tar.gz" \
        "tallomir-$version-$1"
}

stage linux-x86_64 "$linux" "" strip
tarball linux-x86_64

stage linux-aarch64 "$aarch64" "" aarch64-linux-gnu-strip
tarball linux-aarch64

# Windows users open the documents in Notepad and friends: CR LF line ends.
stage windows-x86_64 "$windows" .exe x86_64-w64-mingw32-strip
for doc in README.md LICENSE; do
    sed -i 's/$/\r/' "$stage/tallomir-$version-windows-x86_64/$doc"
done
(cd "$stage" && zip -q -r -X "$OLDPWD/dist/tallomir-$version-windows-x86_64.zip" "tallomir-$version-windows-x86_64")

if [ -n "$web" ]; then
    if [ ! -f "$web/index.html" ] || [ ! -f "$web/engine/tallomir-vendrel.wasm" ]; then
        echo "$web holds no built page with its engines: make web" >&2
        exit 1
    fi
    dir=$stage/tallomir-$version-web
    mkdir -p "$dir"
    cp -R "$web/." "$dir/"
    cp web/HOSTING.md "$dir/"
    cp LICENSE "$dir/"
    (cd "$stage" && zip -q -r -X "$OLDPWD/dist/tallomir-$version-web.zip" "tallomir-$version-web")
fi

(cd dist && sha256sum -- *.tar.gz *.zip > SHA256SUMS)
ls -l dist
cat dist/SHA256SUMS
