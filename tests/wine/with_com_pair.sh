#!/usr/bin/env bash
# Runs a Windows test program under Wine with COM7 and COM8 linked to the two ends of a socat
# pseudo-terminal pair (ZENTOR_COM_PAIR names them); without socat, the program runs alone.
# usage: with_com_pair.sh WINE_RUN WINEPREFIX PROGRAM [ARGS...]
set -euo pipefail
run=$1 prefix=$2
shift 2
if ! command -v socat >/dev/null; then
  exec "$run" "$@"
fi
tmp=$(mktemp -d)
socat pty,raw,echo=0,link="$tmp/a" pty,raw,echo=0,link="$tmp/b" &
pid=$!
trap 'kill $pid 2>/dev/null || true; wait $pid 2>/dev/null || true; rm -f "$prefix/dosdevices/com7" "$prefix/dosdevices/com8"; rm -rf "$tmp"' EXIT
for _ in $(seq 100); do [ -e "$tmp/a" ] && [ -e "$tmp/b" ] && break; sleep 0.05; done
mkdir -p "$prefix/dosdevices"
ln -sfn "$(readlink -f "$tmp/a")" "$prefix/dosdevices/com7"
ln -sfn "$(readlink -f "$tmp/b")" "$prefix/dosdevices/com8"
ZENTOR_COM_PAIR="COM7 COM8" "$run" "$@"
