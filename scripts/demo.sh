#!/usr/bin/env bash
# Installs what is missing, builds, seeds a fresh copy of the demo site,
# starts the local site server on it and runs Skiff against it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
skiff_install_packages
skiff_build --target skiff

demo="$(mktemp -d "${TMPDIR:-/tmp}/skiff-demo.XXXXXX")"
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  [ -n "${SKIFF_KEEP_DEMO:-}" ] && echo "Demo folder kept: $demo" || rm -rf "$demo"
}
trap cleanup EXIT
trap "exit 130" INT TERM

"$SKIFF_ROOT/demo/seed.sh" "$demo"

password="demo$(date +%s | tail -c 7)"
/usr/bin/python3 "$SKIFF_ROOT/tests/site/site_server.py" --root "$demo/site" \
  --password "$password" --ports-file "$demo/ports.json" --log "$demo/ftp.log" \
  --http-log "$demo/http.log" --tls "${SKIFF_DEMO_TLS:-require}" --cert-dir "$demo/tls" \
  --exit-with-parent &
server_pid=$!
for _ in $(seq 1 100); do [ -s "$demo/ports.json" ] && break; sleep 0.1; done
[ -s "$demo/ports.json" ] || { echo "The demo site server did not start." >&2; exit 1; }

port() { /usr/bin/python3 -c "import json,sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])" "$demo/ports.json" "$1"; }
export SKIFF_HOST=127.0.0.1 SKIFF_FTP_PORT="$(port ftp)" SKIFF_HTTP_PORT="$(port http)"
export SKIFF_FTP_PASSWORD="$password"
# Encrypted by default, trusting the demo's own small authority, so nobody
# sees a certificate question; SKIFF_DEMO_TLS=off serves the plain site.
export SKIFF_HTTPS_PORT="$SKIFF_HTTP_PORT" SKIFF_CA_FILE="$(port ca)"
[ "${SKIFF_DEMO_TLS:-require}" = off ] && export SKIFF_TLS=off || export SKIFF_TLS="${SKIFF_TLS:-require}"
export SKIFF_PROGRAM_DIR="$demo/program" XDG_CONFIG_HOME="$demo/config"

echo "Demo site (TLS: $SKIFF_TLS): ftp://127.0.0.1:$SKIFF_FTP_PORT  $(
  [ "$SKIFF_TLS" = off ] && echo http || echo https)://127.0.0.1:$SKIFF_HTTP_PORT/tarnwardens/"
echo "Members: see the README (for example Ann / heron, Orrin / lantern)."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: Skiff runs on a virtual X display (xvfb-run)."
  xvfb-run -a -s "-screen 0 1280x900x24" "$SKIFF_BUILD/src/skiff" "$@"
else
  "$SKIFF_BUILD/src/skiff" "$@"
fi
