#!/usr/bin/env bash
# Builds the Debian package from a configured and built build folder and checks its control
# file and contents. In CI (CI=true), or when asked with --install, it also installs the package
# with apt, starts the installed program offscreen until its main window is up, and removes the
# package again: that changes the system, so a developer's plain run never does it.
#
# Usage: tests/package/test-package.sh [--install] [build folder, default build]
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
. tests/package/checks.sh

install=false
[ "${CI:-}" = true ] && install=true
build=build
for arg in "$@"; do
    case $arg in
    --install) install=true ;;
    *) build=$arg ;;
    esac
done
build=$(readlink -f "$build")

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
runtime_packages=(libqt6sql6-sqlite qt6-qpa-plugins tdsodbc unixodbc fonts-noto-cjk qt6-translations-l10n)

work=$(mktemp -d)
# apt reads a local package as its unprivileged user; let it, so it does not warn.
chmod 755 "$work"
installed=false
cleanup() {
    if $installed; then
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq chengling-wuye >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# cpack installs what the build made; build the packaged targets first in case they are stale.
echo "== building the package from $build"
if ! cmake --build "$build" -j"$(nproc)" --target chengling-wuye chengling-demo-db chengling-icons \
    >"$work/build.log" 2>&1 || ! (cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1; then
    tail -30 "$work/build.log" "$work/cpack.log" 2>/dev/null
    fail "the package builds"
    summary
    exit 1
fi
debs=("$work"/out/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    fail "cpack made exactly one .deb (made: ${debs[*]})"
    summary
    exit 1
fi
deb=${debs[0]}
chmod 644 "$deb"
pass "the package builds: $(basename "$deb")"

echo "== control file"
dpkg-deb -f "$deb" | sed 's/^/    /'
field() { dpkg-deb -f "$deb" "$1"; }
# The names in Depends, without versions or alternatives' bars.
depends=$(field Depends | tr ',|' '\n\n' | sed 's/(.*)//; s/^ *//; s/ *$//' | grep -v '^$')
depends_on() { grep -qx "$1" <<<"$depends"; }
depends_on_all() {
    local p
    for p; do depends_on "$p" || return 1; done
}
# lines_in FILE LINE...: every LINE is a whole line of FILE.
lines_in() {
    local file=$1 line
    shift
    for line; do grep -qxF -- "$line" "$file" || return 1; done
}
project_version=$(sed -n 's/^project(chengling-wuye VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

check "package name is chengling-wuye" test "$(field Package)" = chengling-wuye
check "version is the project's ($project_version)" test "$(field Version)" = "$project_version-1"
check "description starts with 澄岭物业工具_配置版 and has a second line" \
    test "$(field Description | sed -n 1p)" = 澄岭物业工具_配置版 -a -n "$(field Description | sed -n 2p)"
check "maintainer has a name and an address" grep -Eq '^.+ <[^>]+@[^>]+>$' <<<"$(field Maintainer)"
for p in "${runtime_packages[@]}"; do
    check "Depends names $p" depends_on "$p"
done
check "Depends has the libraries dpkg-shlibdeps found (libqt6widgets6, libc6)" depends_on_all libqt6widgets6 libc6
check "Depends names no -dev package" test -z "$(grep -E -- '-dev$' <<<"$depends")"

echo "== contents"
contents=$(dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }')
for path in ./usr/lib/chengling-wuye/chengling-wuye ./usr/lib/chengling-wuye/MDI.BMP \
    ./usr/lib/chengling-wuye/chengling-demo-db ./usr/bin/chengling-wuye-demo \
    ./usr/share/chengling-wuye/sqlite.sql ./usr/share/chengling-wuye/sqlserver.sql \
    ./usr/share/applications/chengling-wuye.desktop ./usr/share/applications/chengling-wuye-demo.desktop \
    ./usr/share/icons/hicolor/48x48/apps/chengling-wuye.png ./usr/share/icons/hicolor/256x256/apps/chengling-wuye.png; do
    check "contains ${path#./}" grep -qxF "$path" <<<"$contents"
done
check "contains the link usr/bin/chengling-wuye -> ../lib/chengling-wuye/chengling-wuye" \
    grep -qxF './usr/bin/chengling-wuye -> ../lib/chengling-wuye/chengling-wuye' <<<"$contents"

dpkg-deb -x "$deb" "$work/tree"
apps=$work/tree/usr/share/applications
if command -v desktop-file-validate >/dev/null; then
    check "desktop entries are valid" desktop-file-validate "$apps/chengling-wuye.desktop" "$apps/chengling-wuye-demo.desktop"
else
    fail "desktop entries are valid: desktop-file-validate missing (tools/install-deps installs it)"
fi
check "main entry: Name=澄岭物业工具, Office, starts the program on the settings store" \
    lines_in "$apps/chengling-wuye.desktop" 'Name=澄岭物业工具' 'Name[zh_CN]=澄岭物业工具' 'Categories=Office;' \
    'Exec=chengling-wuye' 'Icon=chengling-wuye'
check "demo entry starts the demo launcher" lines_in "$apps/chengling-wuye-demo.desktop" 'Exec=chengling-wuye-demo' \
    'Categories=Office;'


skipped=0
if $install; then
    echo "== install, start, remove"
    if dpkg-query -W -f='${Status}' chengling-wuye 2>/dev/null | grep -q 'install ok installed'; then
        echo "note: chengling-wuye was installed already; it is replaced and removed at the end"
    fi
    if $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >"$work/apt.log" 2>&1; then
        installed=true
        pass "apt-get install ./$(basename "$deb")"
        run_installed_checks /usr "$work"
        if $sudo env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq chengling-wuye >"$work/apt-remove.log" 2>&1; then
            installed=false
            pass "apt-get remove chengling-wuye"
            check "removal leaves neither the program nor its link" \
                test ! -e /usr/lib/chengling-wuye -a ! -L /usr/bin/chengling-wuye -a ! -e /usr/bin/chengling-wuye-demo
        else
            cat "$work/apt-remove.log"
            fail "apt-get remove chengling-wuye"
        fi
    else
        cat "$work/apt.log"
        fail "apt-get install ./$(basename "$deb")"
    fi
else
    echo "SKIP: installing, starting and removing the package changes the system: only in CI (CI=true) or with --install"
    skipped=1
fi

echo "package: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
