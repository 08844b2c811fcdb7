#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs: the
# programs, the desktop entries (desktop-file-validate), the icon at every hicolor size
# and the AppStream metainfo (appstreamcli validate).
set -euo pipefail
build=$1
cmake=${2:-cmake}
with_flotsam=${3:-0} # 1 when the build has the salvage tool
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >/dev/null

[ -x "$prefix/bin/TideLog" ] || fail "bin/TideLog missing"
if [ "$with_flotsam" = 1 ]; then
    [ -x "$prefix/bin/flotsam" ] || fail "bin/flotsam missing"
    [ -f "$prefix/share/applications/org.tidemark.flotsam.desktop" ] || fail "flotsam desktop entry missing"
fi
apps=$prefix/share/applications
[ -f "$apps/org.tidemark.TideLog.desktop" ] || fail "TideLog desktop entry missing"
desktop-file-validate "$apps"/*.desktop
grep -q '^Name\[ja\]=' "$apps/org.tidemark.TideLog.desktop" || fail "no Japanese name"
grep -q '^Comment\[ja\]=' "$apps/org.tidemark.TideLog.desktop" || fail "no Japanese comment"
grep -q '^Categories=Office;Calendar;' "$apps/org.tidemark.TideLog.desktop" || fail "categories"
if [ -f "$apps/org.tidemark.flotsam.desktop" ]; then
    grep -q '^Categories=Utility;' "$apps/org.tidemark.flotsam.desktop" || fail "flotsam categories"
    [ -x "$prefix/bin/flotsam" ] || fail "flotsam entry without the program"
fi

icons=$prefix/share/icons/hicolor
[ -f "$icons/scalable/apps/org.tidemark.TideLog.svg" ] || fail "scalable icon missing"
for size in 16 22 24 32 48 64 128 256; do
    png=$icons/${size}x${size}/apps/org.tidemark.TideLog.png
    [ -f "$png" ] || fail "icon ${size}x${size} missing"
    # The PNG header's width and height (big-endian at bytes 16 and 20).
    read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4, $7*256+$8}')
    [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "icon ${size}x${size} is ${w}x${h}"
done

appstreamcli validate --no-net "$prefix/share/metainfo/org.tidemark.TideLog.metainfo.xml"
echo "check-install: ok"
