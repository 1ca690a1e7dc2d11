#!/usr/bin/env bash
# The Windows packages as a Windows user gets them, checked under Wine on this Linux machine:
# CPack makes the zip and the installer; the zip is unpacked into a fresh folder and both
# programs run from there in a Wine prefix of their own, with no path to the build's DLLs or
# Qt's plugins, so a DLL or plugin the zip lacks fails the run. The installer is unpacked
# (7-Zip reads NSIS installers) and its programs run likewise; its script must make the
# Start-menu entry and the uninstaller. The installer itself is a 32-bit program, which a
# 64-bit-only Wine (no wine32) cannot start, so it is not run.
# usage: test_windows_package.sh CPACK CPACK_CONFIG VERSION WINE ICO
set -uo pipefail
cpack=$1 config=$2 version=$3 wine=$4 ico=$5

fail() { echo "FAIL: $*" >&2; exit 1; }
# One X server for the whole Wine session: Wine's desktop process starts with the first
# program and serves every window after it, so it must have the display from the start.
if [ -z "${ZENTOR_PACKAGE_XVFB:-}" ]; then
  command -v xvfb-run >/dev/null || fail "xvfb-run is missing (scripts/setup installs it)"
  ZENTOR_PACKAGE_XVFB=1 exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$@"
fi
for tool in unzip 7zz python3; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup --windows installs it)"
done
[ -x "$wine" ] || command -v "$wine" >/dev/null || fail "no Wine at $wine"

tmp=$(mktemp -d)
export WINEPREFIX=$tmp/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
cleanup() {
  wineserver -k >/dev/null 2>&1
  rm -rf "$tmp"
}
trap cleanup EXIT
# Nothing from the build or its Qt may reach the programs.
unset WINEPATH QT_PLUGIN_PATH QT_QPA_PLATFORM_PLUGIN_PATH QT_QPA_PLATFORM
# Wine's helper processes outlive a run and keep the files they were started with: the
# prefix is made first, and the programs' output goes to files, not pipes.
"$wine" wineboot -i >"$tmp/wineboot.log" 2>&1 || { cat "$tmp/wineboot.log" >&2; fail "cannot make a Wine prefix"; }

manifest=$(dirname "$config")/install_manifest.txt
[ -f "$manifest" ] && cp -p "$manifest" "$tmp/manifest"
"$cpack" -G "ZIP;NSIS" --config "$config" -B "$tmp/out" >"$tmp/cpack.log" 2>&1
rc=$?
if [ -f "$tmp/manifest" ]; then cp -p "$tmp/manifest" "$manifest"; else rm -f "$manifest"; fi
[ $rc -eq 0 ] || { cat "$tmp/cpack.log" >&2; fail "cpack"; }
zip=$tmp/out/zentor-$version-win64.zip
setup=$tmp/out/zentor-$version-win64-setup.exe
[ -f "$zip" ] || fail "no zentor-$version-win64.zip: $(ls "$tmp/out")"
[ -f "$setup" ] || fail "no zentor-$version-win64-setup.exe: $(ls "$tmp/out")"
echo "made: $(basename "$zip") $(du -h "$zip" | cut -f1), $(basename "$setup") $(du -h "$setup" | cut -f1)"

# The folder as unpacked: the programs, the platform plugin, Qt and the MinGW runtime.
has_files() {
  local dir=$1
  for f in zentor.exe zentor-cli.exe platforms/qwindows.dll Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
           libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    [ -f "$dir/$f" ] || fail "$f is not in $dir: $(cd "$dir" && find . -type f | sort | tr '\n' ' ')"
  done
}

# Runs both programs from a folder: zentor-cli against its simulated driver, and the console on
# the X server through the windows platform plugin, ending itself after a second. A program
# that hangs (a message box nobody closes) ends after two minutes and fails.
runs_from() {
  local dir=$1 out rc
  (cd "$dir" && timeout 120 "$wine" zentor-cli.exe --sim status --count 1 >"$tmp/cli.out" 2>"$tmp/cli.err")
  rc=$?
  out=$(tr -d '\r' <"$tmp/cli.out")
  [ $rc -eq 0 ] || { cat "$tmp/cli.err" >&2; fail "zentor-cli.exe in $dir exited with $rc: $out"; }
  grep -qx 'speed: 0 RPM' <<<"$out" || fail "zentor-cli.exe in $dir printed no status: $out"
  (cd "$dir" && timeout 120 "$wine" zentor.exe --simulator --print-messages --quit-after 1000 >"$tmp/zentor.out" 2>"$tmp/zentor.err")
  rc=$?
  out=$(tr -d '\r' <"$tmp/zentor.out")
  [ $rc -eq 0 ] || { cat "$tmp/zentor.err" >&2; fail "zentor.exe in $dir exited with $rc: $out"; }
  [ -z "$out" ] || fail "zentor.exe in $dir said: $out"
}

mkdir -p "$tmp/fresh"
unzip -q "$zip" -d "$tmp/fresh" || fail "unzip"
top=$tmp/fresh/zentor-$version-win64
[ -d "$top" ] || fail "the zip has no folder zentor-$version-win64: $(ls "$tmp/fresh")"
has_files "$top"
runs_from "$top"
# An unpacked folder is the user's own: the console keeps its file there.
grep -q '^Config_INI=true' "$top/Zentor_CFG.ini" 2>/dev/null || fail "the console wrote no Zentor_CFG.ini beside zentor.exe"
echo "zip: both programs run from the unpacked folder"

# The console's drawn icon is zentor.exe's own: the 256-pixel image of the icon file is in its
# resources, byte for byte.
python3 - "$ico" "$top/zentor.exe" <<'PY' || fail "zentor.exe does not carry the drawn icon"
import struct, sys
ico = open(sys.argv[1], "rb").read()
exe = open(sys.argv[2], "rb").read()
reserved, kind, count = struct.unpack("<HHH", ico[:6])
assert (reserved, kind) == (0, 1) and count >= 1, "not an icon file"
for i in range(count):
    w, h, _, _, _, _, size, offset = struct.unpack("<BBBBHHII", ico[6 + 16 * i:22 + 16 * i])
    if (w, h) == (0, 0):
        image = ico[offset:offset + size]
        assert image[:8] == b"\x89PNG\r\n\x1a\n", "the 256-pixel image is no PNG"
        assert image in exe, "the 256-pixel image is not in zentor.exe"
        sys.exit(0)
sys.exit("the icon file has no 256-pixel image")
PY

# The installer: what it installs, run from where it was unpacked, and what its script does.
mkdir -p "$tmp/setup"
(cd "$tmp/setup" && 7zz x -y "$setup" >"$tmp/7z.log" 2>&1) || { cat "$tmp/7z.log" >&2; fail "7-Zip cannot unpack the installer"; }
has_files "$tmp/setup"
[ -f "$tmp/setup/Uninstall.exe" ] || fail "the installer carries no Uninstall.exe"
runs_from "$tmp/setup"
nsi=$tmp/out/_CPack_Packages/win64/NSIS/project.nsi
for line in 'InstallDir "$PROGRAMFILES64\Zentor"' \
            'CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Zentor.lnk" "$INSTDIR\.\zentor.exe"' \
            'CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Uninstall.lnk" "$INSTDIR\Uninstall.exe"' \
            'WriteUninstaller "$INSTDIR\Uninstall.exe"'; do
  grep -qF -- "$line" "$nsi" || fail "the installer's script lacks: $line"
done
grep -q '^!define MUI_ICON ".*zentor.ico"' "$nsi" || fail "the installer does not show the console's icon"
echo "installer: its programs run; Start-menu entry Zentor, uninstaller"
echo "windows package ok"
