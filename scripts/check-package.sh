#!/usr/bin/env bash
# Builds the Debian package (cpack) from the build folder and checks it with the tools Debian
# and the desktops use: dpkg-deb for its contents and fields, lintian, desktop-file-validate,
# appstreamcli (offline), man --warnings; then runs the programs from the unpacked package and
# asks apt whether its dependencies can be installed. Fails on the first kind of problem found,
# after reporting all of them.
#   scripts/check-package.sh                  uses build/ (BUILD_DIR=... for another)
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build=${BUILD_DIR:-build}
bash scripts/configure.sh "$build"
# What the package holds; the windowed program once the build has it.
targets=(quillfenctl Velmorad HidServ HidServVirtual skin packaging_files)
have_quillfen=0
if cmake --build "$build" --target help | grep -q '^quillfen:'; then
    targets+=(quillfen)
    have_quillfen=1
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

rm -f "$build"/package/quillfen_*.deb
if ! (cd "$build" && cpack -G DEB >cpack.log 2>&1); then
    cat "$build/cpack.log"
    echo "check-package: cpack failed"
    exit 1
fi
deb=$(ls "$build"/package/quillfen_*.deb)
echo "package: $deb ($(du -h "$deb" | cut -f1))"

# From here on every check runs and reports; the count decides.
set +e
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "  FAIL: $*"
    failures=$((failures + 1))
}
step() { echo "== $1"; }

version=$(dpkg-deb -f "$deb" Version)
app_id=org.quillfen.Quillfen

step "contents (dpkg-deb -c)"
dpkg-deb -c "$deb" >"$work/contents"
# "./usr/bin/quillfenctl -> ../lib/quillfen/quillfenctl" for links, the path for the rest.
awk '{ path = $6; for (i = 7; i <= NF; i++) path = path " " $i; print path }' "$work/contents" |
    sed 's|^\./|/|' >"$work/paths"
expected=(
    "/usr/bin/quillfenctl -> ../lib/quillfen/quillfenctl"
    /usr/lib/quillfen/quillfenctl
    /usr/lib/quillfen/Velmorad
    /usr/lib/quillfen/libHidServ.so
    /usr/lib/quillfen/libHidServVirtual.so
    /usr/lib/quillfen/Skins/Main.ini
    /usr/lib/quillfen/Skins/Profile.ini
    /usr/lib/quillfen/Skins/Composite.ini
    /usr/lib/quillfen/Skins/language.ini
    /usr/lib/quillfen/Help/index.html
    /usr/lib/udev/rules.d/70-quillfen.rules
    /usr/share/bash-completion/completions/quillfenctl
    /usr/share/man/man1/quillfenctl.1.gz
    /usr/share/doc/quillfen/copyright
    /usr/share/doc/quillfen/changelog.gz
    /usr/share/icons/hicolor/scalable/apps/quillfen.svg
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/quillfen.png")
done
windowed=(
    "/usr/bin/quillfen -> ../lib/quillfen/quillfen"
    /usr/lib/quillfen/quillfen
    "/usr/share/applications/$app_id.desktop"
    "/usr/share/metainfo/$app_id.metainfo.xml"
    "/etc/xdg/autostart/$app_id.desktop"
    /usr/share/man/man1/quillfen.1.gz
)
for path in "${expected[@]}"; do
    grep -qxF "$path" "$work/paths" || fail "missing: $path"
done
for path in "${windowed[@]}"; do
    if [ $have_quillfen = 1 ]; then
        grep -qxF "$path" "$work/paths" || fail "missing: $path"
    elif grep -q "^${path%% ->*}\( ->.*\)\?$" "$work/paths"; then
        fail "packaged without the windowed program: $path"
    fi
done
grep -E 'UserDengColor_|/skingen|_test$|\.a$|/include/' "$work/paths" | while read -r path; do
    echo "  FAIL: does not belong in the package: $path"
done | tee "$work/stray"
[ -s "$work/stray" ] && failures=$((failures + 1))
awk '$2 != "root/root" { print "  FAIL: not owned by root: " $6 }' "$work/contents" | tee "$work/owners"
[ -s "$work/owners" ] && failures=$((failures + 1))
echo "  $(wc -l <"$work/paths") entries"
if [ $have_quillfen = 0 ]; then
    echo "  SKIPPED (windowed program not built): its program, link, entries and manual page"
fi

step "control fields (dpkg-deb -f)"
depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
echo "  Depends: $depends"
echo "  Recommends: $recommends"
for dep in xdg-utils libc6 libstdc++6 libhidapi-hidraw0 libudev1; do
    grep -qw "$dep" <<<"$depends" || fail "Depends lacks $dep"
done
if [ $have_quillfen = 1 ]; then
    grep -q "libqt6widgets6" <<<"$depends" || fail "Depends lacks Qt Widgets (dpkg-shlibdeps did not run?)"
fi
for font in fonts-dejavu-core fonts-liberation fonts-wqy-microhei; do
    grep -qw "$font" <<<"$recommends" || fail "Recommends lacks $font"
done
[ "$(dpkg-deb -f "$deb" Package)" = quillfen ] || fail "the package is not called quillfen"
dpkg-deb --control "$deb" "$work/control"
for script in postinst postrm; do
    [ -x "$work/control/$script" ] || fail "$script missing or not executable"
done
if [ $have_quillfen = 1 ]; then
    grep -qx "/etc/xdg/autostart/$app_id.desktop" "$work/control/conffiles" 2>/dev/null ||
        fail "the autostart entry is not a conffile"
fi

step "maintainer scripts never fail, and touch udev only where it runs"
# The scripts run against a stand-in udevadm that fails, with /run/udev/control replaced by a
# file of the test's own, present or not.
mkdir -p "$work/fakebin"
cat >"$work/fakebin/udevadm" <<FAKE
#!/bin/sh
echo "\$*" >>"$work/udevadm.calls"
exit 1
FAKE
chmod +x "$work/fakebin/udevadm"
for script in postinst postrm; do
    sed "s|/run/udev/control|$work/udev-control|g" "$work/control/$script" >"$work/$script.test"
    arg=configure
    [ $script = postrm ] && arg=remove
    for udev in absent present; do
        rm -f "$work/udevadm.calls" "$work/udev-control"
        [ $udev = present ] && touch "$work/udev-control"
        if ! PATH="$work/fakebin:$PATH" sh "$work/$script.test" "$arg"; then
            fail "$script $arg fails when udevadm fails (udev $udev)"
        fi
        if [ $udev = absent ] && [ -e "$work/udevadm.calls" ]; then
            fail "$script $arg calls udevadm where udev does not run"
        fi
        if [ $udev = present ] && ! grep -q -- "control --reload" "$work/udevadm.calls" 2>/dev/null; then
            fail "$script $arg does not reload the udev rules"
        fi
    done
done
grep -q -- "trigger" "$work/udevadm.calls" 2>/dev/null && fail "postrm triggers devices"
PATH="$work/fakebin:$PATH" sh "$work/postrm.test" upgrade || fail "postrm upgrade fails"

step "stripped binaries"
dpkg-deb -x "$deb" "$work/root"
while IFS= read -r elf; do
    if readelf -S "$elf" 2>/dev/null | grep -q '\.symtab\|\.debug_'; then
        fail "not stripped: ${elf#"$work/root"}"
    fi
done < <(find "$work/root" -type f \( -name '*.so' -o -perm -u+x \))

step "desktop-file-validate"
desktop_files=("$src"/packaging/desktop/*.desktop)
if [ $have_quillfen = 1 ]; then
    desktop_files+=("$work/root/usr/share/applications/$app_id.desktop"
                    "$work/root/etc/xdg/autostart/$app_id.desktop")
fi
for f in "${desktop_files[@]}"; do
    if out=$(desktop-file-validate "$f" 2>&1) && [ -z "$out" ]; then
        echo "  ok: ${f#"$work/root"}"
    else
        fail "desktop-file-validate ${f#"$work/root"}: $out"
    fi
done

step "appstreamcli validate --no-net"
metainfo_files=("$src/packaging/desktop/$app_id.metainfo.xml")
[ $have_quillfen = 1 ] && metainfo_files+=("$work/root/usr/share/metainfo/$app_id.metainfo.xml")
for f in "${metainfo_files[@]}"; do
    if out=$(appstreamcli validate --no-net --no-color "$f" 2>&1); then
        echo "  ok: ${f#"$work/root"}"
    else
        fail "appstreamcli validate ${f#"$work/root"}: $out"
    fi
    grep -q "<release version=\"$version\"" "$f" || fail "${f##*/} has no release $version"
done

step "man --warnings"
# Every page the build makes, packaged or not; any warning printed fails.
for page in "$build"/packaging/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null || true)
    if [ -n "$warnings" ]; then
        fail "man --warnings ${page##*/}: $warnings"
    else
        echo "  ok: ${page##*/}"
    fi
    gzip -dc "$page" | grep -q "^\.TH .*Quillfen $version" || fail "${page##*/} is not for $version"
done
gzip -dc "$work/root/usr/share/doc/quillfen/changelog.gz" | head -n 1 | grep -q "^quillfen ($version)" ||
    fail "changelog.gz does not start with $version"

step "lintian"
# Errors fail; so does a warning not listed here (each is justified in the README's
# "Installing" section).
accepted_warnings=()
lintian --display-info --tag-display-limit 0 "$deb" >"$work/lintian" 2>"$work/lintian.err" || true
grep -v 'running with root privileges' "$work/lintian.err" || true
sed 's/^/  /' "$work/lintian"
grep -q '^E: ' "$work/lintian" && fail "lintian reports errors"
while read -r tag; do
    accepted=0
    for ok in "${accepted_warnings[@]}"; do
        [ "$tag" = "$ok" ] && accepted=1
    done
    [ $accepted = 1 ] || fail "lintian warning not accepted: $tag"
done < <(awk '/^W: / { print $3 }' "$work/lintian" | sort -u)
echo "  $(grep -c '^E: ' "$work/lintian" || true) errors, $(grep -c '^W: ' "$work/lintian" || true) warnings, $(grep -c '^I: ' "$work/lintian" || true) notes"

step "programs from the unpacked package"
home=$work/home
mkdir -p "$home/runtime" && chmod 700 "$home/runtime"
run() {
    timeout 60 env -i PATH="$work/root/usr/bin:/usr/bin:/bin" HOME="$home" \
        XDG_CONFIG_HOME="$home/config" XDG_STATE_HOME="$home/state" \
        XDG_RUNTIME_DIR="$home/runtime" "$@"
}
if out=$(run quillfenctl --virtual info 2>&1); then
    echo "  ok: quillfenctl --virtual info"
else
    fail "quillfenctl --virtual info from the package: $out"
fi
if [ $have_quillfen = 1 ]; then
    if out=$(run QT_QPA_PLATFORM=offscreen \
        QUILLFEN_HIDSERV="$work/root/usr/lib/quillfen/libHidServVirtual.so" quillfen /Kill 2>&1); then
        echo "  ok: quillfen /Kill"
    else
        fail "quillfen /Kill from the package: $out"
    fi
fi

step "dependencies installable (apt-get --simulate)"
if out=$(apt-get install --simulate --no-install-recommends "$(realpath "$deb")" 2>&1); then
    echo "  ok: $(grep -c '^Inst ' <<<"$out") package(s) would be installed"
else
    fail "apt cannot install the package's dependencies: $(tail -n 5 <<<"$out")"
fi

if [ $failures -ne 0 ]; then
    echo "check-package: $failures problem(s)"
    exit 1
fi
echo "check-package: $deb passes"
