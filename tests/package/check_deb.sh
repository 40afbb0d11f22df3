#!/usr/bin/env bash
# Builds the Debian package from the build and checks it: the program, its
# launcher, icons and AppStream metadata are in it, its Depends hold the Qt
# libraries dpkg-shlibdeps found and the plugins Qt loads at run time, its
# Recommends hold the speech engine, and lintian reports no errors.
#   check_deb.sh BUILD_DIR
# Set QUORVEL_DEB to check a package made already instead (scripts/package).
set -euo pipefail
build=$(readlink -f "$1")
if ! command -v dpkg-deb >/dev/null 2>&1; then
    echo "SKIP: dpkg-deb is not installed, so no Debian package can be built or read"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
pass() { echo "PASS: $1"; }
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
if [[ -n "${QUORVEL_DEB:-}" ]]; then
    deb=$(readlink -f "$QUORVEL_DEB")
else
    cpack=${CPACK:-cpack}
    if ! (cd "$build" && "$cpack" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1); then
        cat "$work/cpack.log"
        fail "cpack builds the package"
        exit 1
    fi
    deb=$(ls "$work"/out/quorvel_*.deb)
fi
check "the package is named quorvel_${version}_amd64.deb" \
    test "$(basename "$deb")" = "quorvel_${version}_amd64.deb"

dpkg-deb --info "$deb" >"$work/info"
dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$work/contents"
field() { sed -n "s/^ $1: //p" "$work/info"; }
echo "--- dpkg-deb --info"
sed -n '/^ Package:/,$p' "$work/info"

check "Package is quorvel" test "$(field Package)" = quorvel
check "Version is $version" test "$(field Version)" = "$version"
check "Architecture is amd64" test "$(field Architecture)" = amd64
check "Section is education" test "$(field Section)" = education
check "Maintainer is set" grep -q '^ Maintainer: .*<.*@.*>' "$work/info"
check "Homepage is set" grep -q '^ Homepage: http' "$work/info"

depends=$(field Depends)
recommends=$(field Recommends)
in_list() { tr ',' '\n' <<<"$2" | sed 's/^ *//; s/ .*//' | grep -qx -- "$1"; }
check "Depends holds the Qt libraries dpkg-shlibdeps found" grep -q 'libqt6widgets6' <<<"$depends"
check "Depends holds libspeechd2" grep -q 'libspeechd2' <<<"$depends"
check "Depends holds fonts-liberation" in_list fonts-liberation "$depends"
for pkg in qt6-qpa-plugins qt6-wayland; do
    check "Depends leaves out $pkg" bash -c "! grep -qw '$pkg' <<<'$depends'"
done
for pkg in speech-dispatcher speech-dispatcher-espeak-ng espeak-ng xdg-utils qt6-wayland; do
    check "Recommends holds $pkg" in_list "$pkg" "$recommends"
done

# Debian's hardening, read off the packaged binary.
dpkg-deb -x "$deb" "$work/root"
binary="$work/root/usr/bin/quorvel"
if command -v readelf >/dev/null 2>&1; then
    readelf -d "$binary" >"$work/dynamic"
    readelf --dyn-syms -W "$binary" >"$work/symbols"
    readelf -h -l -W "$binary" >"$work/segments"
    check "the binary is position independent" grep -q 'Type: *DYN' "$work/segments"
    check "the binary binds every symbol at start (BIND_NOW)" grep -Eq 'BIND_NOW|FLAGS_1.*NOW' "$work/dynamic"
    check "the binary has a read-only relocation table (RELRO)" grep -q GNU_RELRO "$work/segments"
    check "the binary has a stack protector" grep -q __stack_chk_fail "$work/symbols"
    check "the binary uses checked libc calls (_FORTIFY_SOURCE)" grep -Eq '__[a-z]+_chk' "$work/symbols"
else
    fail "readelf is not installed (binutils)"
fi

has() { grep -qx -- "$1" "$work/contents"; }
check "the program is /usr/bin/quorvel" has /usr/bin/quorvel
check "the launcher is in the package" has /usr/share/applications/org.example.quorvel.desktop
check "the AppStream metadata is in the package" has /usr/share/metainfo/org.example.quorvel.metainfo.xml
check "the scalable icon is in the package" has /usr/share/icons/hicolor/scalable/apps/quorvel.svg
for size in 16 22 24 32 48 64 128 256; do
    check "the ${size}x${size} icon is in the package" \
        has "/usr/share/icons/hicolor/${size}x${size}/apps/quorvel.png"
done
check "the copyright file is in the package" has /usr/share/doc/quorvel/copyright
check "the changelog is in the package" has /usr/share/doc/quorvel/changelog.gz
check "the manual page is in the package" has /usr/share/man/man1/quorvel.1.gz
check "nothing is installed under /usr/local" bash -c "! grep -q '^/usr/local' '$work/contents'"

if command -v lintian >/dev/null 2>&1; then
    status=0
    lintian --info "$deb" >"$work/lintian" 2>&1 || status=$?
    echo "--- lintian (exit status $status)"
    cat "$work/lintian"
    check "lintian reports no errors" bash -c "! grep -q '^E:' '$work/lintian'"
    check "lintian ran through" test "$status" -eq 0
else
    fail "lintian is not installed (scripts/bootstrap --test installs it)"
fi

echo "--- $failures failure(s)"
[[ $failures -eq 0 ]]
