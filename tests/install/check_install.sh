#!/usr/bin/env bash
# Installs the built program into a temporary prefix and checks what a
# desktop needs of it: the program, a valid desktop entry, the icon in every
# usual size and as SVG, nothing written beside the installed program when it
# runs, and a Debian package carrying the same files and its dependencies.
# Usage: check_install.sh <build folder> <cmake> <cpack>
set -euo pipefail
build=$1 cmake=$2 cpack=$3
work=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

[ -x "$prefix/bin/skiff" ] || fail "bin/skiff is missing or not executable"
entry=$prefix/share/applications/skiff.desktop
[ -f "$entry" ] || fail "the desktop entry is missing"
[ -f "$prefix/share/icons/hicolor/scalable/apps/skiff.svg" ] || fail "the SVG icon is missing"
for size in 16 22 24 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/skiff.png
  if [ ! -f "$png" ]; then
    fail "the ${size} px icon is missing"
    continue
  fi
  # Width and height are the two big-endian words of the PNG header's IHDR.
  got=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}')
  [ "$got" = "${size}x${size}" ] || fail "the ${size} px icon is $got"
done

if [ -f "$entry" ]; then
  grep -qx 'Exec=skiff' "$entry" || fail "the entry does not start skiff"
  grep -qx 'Icon=skiff' "$entry" || fail "the entry does not name the icon"
  categories=$(sed -n 's/^Categories=//p' "$entry")
  for category in Network FileTransfer; do
    [[ ";$categories" == *";$category;"* ]] || fail "the entry lacks the category $category"
  done
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate refuses the entry"
  else
    echo "desktop-file-validate is not installed; the entry was checked by hand only"
  fi
fi

# The installed program keeps its editors list in the member's data folder,
# even when it could write beside itself (as root may).
home=$work/home
mkdir -p "$home"
before=$(ls -A "$prefix/bin")
env -u SKIFF_PROGRAM_DIR HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
  QT_QPA_PLATFORM=offscreen "$prefix/bin/skiff" >/dev/null 2>&1 &
pid=$!
for _ in $(seq 100); do
  [ -f "$home/data/Skiff/external editors.ini" ] && break
  sleep 0.1
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
[ -f "$home/data/Skiff/external editors.ini" ] ||
  fail "the installed program did not make its editors list in the member's data folder"
[ "$(ls -A "$prefix/bin")" = "$before" ] || fail "the installed program wrote beside itself"

if command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null; then
  (cd "$build" && "$cpack" -G DEB -B "$work/package" >/dev/null)
  deb=$(ls "$work"/package/*.deb)
  depends=$(dpkg-deb -f "$deb" Depends)
  for library in libqt6widgets6 libqt6core6 libcurl4 libqt6svg6 libsecret-1-0; do
    [[ "$depends" == *"$library"* ]] || fail "the package does not depend on $library ($depends)"
  done
  contents=$(dpkg-deb -c "$deb")
  for file in ./usr/bin/skiff ./usr/share/applications/skiff.desktop \
    ./usr/share/icons/hicolor/scalable/apps/skiff.svg ./usr/share/icons/hicolor/48x48/apps/skiff.png; do
    grep -q " $file\$" <<<"$contents" || fail "the package lacks $file"
  done
else
  echo "dpkg-deb or dpkg-shlibdeps is not installed; the package was not built"
fi

[ "$failures" -eq 0 ] && echo "installation checked"
exit "$failures"
