#!/usr/bin/env bash
# Serves a copy of the demo site with proftpd (FTP) on loopback, the way a
# rented host's Unix FTP server would, for the benchmarks that compare the
# bundled site server with another common server. Needs root (proftpd drops
# to nobody) and the Debian package proftpd-basic, which it installs when
# missing and allowed to (SKIFF_INSTALL_PROFTPD=1).
#
#   bench/proftpd_site.sh start DIR   prints "port password" once it listens
#   bench/proftpd_site.sh stop DIR
#
# DIR is a fresh folder the script owns: site root, configuration, logs
# (DIR/commands.log holds every command line the server received).
set -euo pipefail

action=${1:?start or stop}
dir=${2:?a working folder}
here=$(cd "$(dirname "$0")" && pwd)

stop() {
    if [[ -f "$dir/proftpd.pid" ]]; then
        kill "$(cat "$dir/proftpd.pid")" 2>/dev/null || true
        rm -f "$dir/proftpd.pid"
    fi
}

if [[ $action == stop ]]; then
    stop
    exit 0
fi

if ! command -v proftpd >/dev/null; then
    if [[ ${SKIFF_INSTALL_PROFTPD:-0} == 1 ]]; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y proftpd-basic >/dev/null
        # The package starts a system-wide server on port 21; this one is ours.
        systemctl disable --now proftpd >/dev/null 2>&1 || service proftpd stop >/dev/null 2>&1 || true
    else
        echo "proftpd is not installed (apt-get install proftpd-basic)" >&2
        exit 2
    fi
fi

mkdir -p "$dir/root/users/tarnwardens"
chmod 755 "$dir" # the server works as nobody below it
cp -r "$here/../demo/site/." "$dir/root/users/tarnwardens/"
mkdir -p "$dir/root/users/tarnwardens/qxg"
password=$(python3 -c 'import secrets, string; print("".join(secrets.choice(string.ascii_lowercase + string.digits) for _ in range(10)))')
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
uid=$(id -u nobody)
gid=$(getent group nogroup | cut -d: -f3)
echo "pell:$(openssl passwd -6 "$password"):$uid:$gid::$dir/root:/bin/false" >"$dir/passwd"
chmod 0600 "$dir/passwd"
chown -R nobody:nogroup "$dir/root"

cat >"$dir/proftpd.conf" <<CONF
ServerType standalone
DefaultServer on
ServerName "Skiff benchmark"
DefaultAddress 127.0.0.1
UseIPv6 off
Port $port
User nobody
Group nogroup
PidFile $dir/proftpd.pid
ScoreboardFile $dir/proftpd.scoreboard
DelayTable $dir/proftpd.delay
SystemLog $dir/system.log
TransferLog none
WtmpLog off
UseReverseDNS off
AuthOrder mod_auth_file.c
AuthUserFile $dir/passwd
RequireValidShell off
DefaultRoot ~
AllowOverwrite on
Umask 022
MaxInstances 200
LogFormat commands "%r"
ExtendedLog $dir/commands.log ALL commands
CONF

rm -f "$dir/commands.log"
proftpd -c "$dir/proftpd.conf" >/dev/null 2>&1
for _ in $(seq 50); do
    if python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 1).close()" 2>/dev/null; then
        echo "$port $password"
        exit 0
    fi
    sleep 0.1
done
echo "proftpd did not start; see $dir/system.log" >&2
stop
exit 1
