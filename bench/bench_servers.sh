#!/usr/bin/env bash
# QUIT and the next command against the bundled site server and, when it is
# installed (or SKIFF_INSTALL_PROFTPD=1 lets this install it), against
# proftpd on loopback.  Usage: bench/bench_servers.sh [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
bench=$build/bench/bench_quit

"$bench"
work=$(mktemp -d)
trap '"$here/proftpd_site.sh" stop "$work"; rm -rf "$work"' EXIT
if read -r port password < <("$here/proftpd_site.sh" start "$work"); then
    SKIFF_HOST=127.0.0.1 SKIFF_FTP_PORT=$port SKIFF_FTP_PASSWORD=$password "$bench" |
        sed 's/^the server named by SKIFF_FTP_PORT/proftpd/'
else
    echo "proftpd not run: see above"
fi
