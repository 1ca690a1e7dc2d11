#!/usr/bin/env bash
# The Windows programs under Wine against zentor-sim (a Linux build) through a real serial
# path: Wine's COM5 is a link to the pseudo terminal zentor-sim serves. zentor-cli.exe reads
# the driver's status; the real console (e2e_console_com.exe, on Wine's own window system under
# Xvfb) lists COM5, opens it and polls it; zentor.exe starts and ends on its own.
# usage: e2e_com5.sh WINE_RUN WINEPREFIX ZENTOR_SIM ZENTOR_CLI_EXE ZENTOR_EXE E2E_CONSOLE_EXE
set -euo pipefail
run=$1 prefix=$2 sim=$3 cli=$4 console=$5 rig=$6
if [ ! -x "$sim" ]; then
  echo "no zentor-sim at '$sim' (a Linux build of this tree): skipped"
  exit 77
fi
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing: skipped"; exit 77; }
tmp=$(mktemp -d)
com=$prefix/dosdevices/com5
"$sim" --type speed --log --link "$tmp/pty" >"$tmp/log" 2>&1 &
simpid=$!
cleanup() {
  kill "$simpid" 2>/dev/null || true
  wait "$simpid" 2>/dev/null || true
  rm -f "$com"
  rm -rf "$tmp"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -e "$tmp/pty" ] && break; sleep 0.05; done
[ -e "$tmp/pty" ] || { echo "zentor-sim did not start"; cat "$tmp/log"; exit 1; }
mkdir -p "$prefix/dosdevices"
ln -sfn "$(readlink -f "$tmp/pty")" "$com"
fail() { echo "FAILED: $*"; echo "--- zentor-sim log"; cat "$tmp/log"; exit 1; }

echo "== zentor-cli.exe --port COM5 status"
set +e
out=$(QT_QPA_PLATFORM=offscreen "$run" "$cli" --port COM5 status 2>&1 | tr -d '\r'; exit "${PIPESTATUS[0]}")
rc=$?
set -e
echo "$out"
[ $rc -eq 0 ] || fail "zentor-cli.exe ended with $rc"
echo "$out" | head -n 1 | grep -Eq '^speed: [0-9]+ RPM$' || fail "no status line"

echo "== zentor-cli.exe --port COM5 write 1 250 (the driver confirms it)"
out=$(QT_QPA_PLATFORM=offscreen "$run" "$cli" --port COM5 write 1 250 2>&1 | tr -d '\r')
echo "$out"
[ "$out" = "register 1 = 250 (0x00FA) confirmed" ] || fail "write not confirmed"

echo "== the console opens COM5 and polls it"
set +e
out=$(xvfb-run -a env QT_QPA_PLATFORM=windows "$run" "$rig" COM5 2>&1 | tr -d '\r'; exit "${PIPESTATUS[0]}")
rc=$?
set -e
echo "$out"
[ $rc -eq 0 ] || fail "the console did not poll COM5 ($rc)"

echo "== zentor.exe starts and ends by itself"
set +e
out=$(xvfb-run -a env QT_QPA_PLATFORM=windows "$run" "$console" --print-messages --quit-after 2000 2>&1 | tr -d '\r'; exit "${PIPESTATUS[0]}")
rc=$?
set -e
echo "$out"
[ $rc -eq 0 ] || fail "zentor.exe ended with $rc"
echo "ok"
