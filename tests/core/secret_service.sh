#!/bin/sh
# Runs a test program on a private session bus with gnome-keyring's secret
# service on it, its login keyring unlocked. Keyrings, settings and control
# socket live in a temporary home, so the desktop and the keyring of whoever
# runs the tests are never asked or changed. The bus starts nothing on
# demand: a store the test kills stays gone.
set -eu
for program in dbus-run-session gnome-keyring-daemon; do
  command -v "$program" >/dev/null ||
    { echo "FAIL: no $program to test the secret store with (packages dbus-daemon, gnome-keyring)"; exit 1; }
done
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -m 700 "$home/run"
cat >"$home/bus.conf" <<CONFIG
<busconfig>
  <listen>unix:tmpdir=$home</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONFIG
# The desktop named here would choose another store (KWallet under KDE).
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION DISPLAY WAYLAND_DISPLAY
export HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
  XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/run" \
  SKIFF_SECRET_SERVICE_HOME="$home" SKIFF_KEYRING_PASSWORD="keyring password"
dbus-run-session --config-file="$home/bus.conf" -- sh -c '
  printf %s "$SKIFF_KEYRING_PASSWORD" | gnome-keyring-daemon --unlock --components=secrets >/dev/null ||
    { echo "FAIL: gnome-keyring-daemon did not start"; exit 1; }
  exec "$@"' sh "$@"
