#!/usr/bin/env bash
# Seeds a fresh demo world into the folder given: the site (served by the
# local site server), a member's local folder with copies of some shared
# files at various versions, and the settings that go with them.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
demo="$1"

site="$demo/site/users/tarnwardens"
mkdir -p "$site" "$demo/local" "$demo/program" "$demo/config/Skiff"
cp -r "$here/site/." "$site/"

# Local copies: the version each one is, as the member last fetched it.
declare -A versions=(
  ["qxplot.doc"]=7 ["chapter1.txt"]=2 ["chapter2.txt"]=2 ["harbour map.gif"]=4
  ["foghorn.wav"]=1 ["lakeside.graal"]=5 ["notes.txt"]=6 ["cast list.doc"]=2
  ["ideas.txt"]=8 ["boat.gif"]=1
)
for name in "${!versions[@]}"; do
  cp "$site/qxg/$name" "$demo/local/$name"
done
# Work of the member's own that is not shared yet (offered by Add Files).
cp "$here/local/." "$demo/local/" -r
# Out-of-date copies differ from the server's.
head -n 6 "$site/qxg/chapter1.txt" > "$demo/local/chapter1.txt"
head -n 8 "$site/qxg/ideas.txt" > "$demo/local/ideas.txt"
# Files nobody has checked out are kept read-only; Ann holds notes.txt.
for name in "${!versions[@]}"; do
  [ "$name" = "notes.txt" ] || chmod a-w "$demo/local/$name"
done

{
  echo "[Settings]"
  echo "LocalFolder=$demo/local/"
  echo
  echo "[FileVersions]"
  for name in "${!versions[@]}"; do
    # The store escapes blanks in keys.
    echo "${name// /%20}=${versions[$name]}"
  done
} > "$demo/config/Skiff/Skiff.ini"
