#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that a desktop sees
# a proper program: the binary, a valid launcher, its icon at every theme
# size, and valid AppStream metadata.
#   check_install.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
check() { if "$@"; then echo "PASS: ${*: -1}"; else echo "FAIL: $*"; failures=$((failures + 1)); fi; }

cmake --install "$build" --prefix "$prefix" >/dev/null

check test -x "$prefix/bin/quorvel"
desktop="$prefix/share/applications/org.example.quorvel.desktop"
metainfo="$prefix/share/metainfo/org.example.quorvel.metainfo.xml"
check test -f "$desktop"
check test -f "$metainfo"
check test -f "$prefix/share/icons/hicolor/scalable/apps/quorvel.svg"
for size in 16 22 24 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/quorvel.png"
    check test -s "$png"
    # A PNG header with the right width and height.
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4, $7*256+$8}')
    check test "$dims" = "$size $size"
done
check grep -qx 'Icon=quorvel' "$desktop"
check grep -qx 'Exec=quorvel' "$desktop"

if command -v desktop-file-validate >/dev/null; then
    check desktop-file-validate "$desktop"
else
    echo "SKIP: desktop-file-validate is not installed"
fi
if command -v appstreamcli >/dev/null; then
    check appstreamcli validate --no-net "$metainfo"
else
    echo "SKIP: appstreamcli is not installed"
fi

[[ $failures -eq 0 ]]
