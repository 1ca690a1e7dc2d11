#!/usr/bin/env bash
# Builds the .deb, unpacks it into a temporary folder and runs the programs from there: the
# package's control fields, its desktop entry and icons, zentor-cli against its simulated
# driver, the console on an X server (Xvfb), and where an installed console keeps its file.
# usage: test_package.sh CPACK CPACK_CONFIG VERSION
set -uo pipefail
cpack=$1 config=$2 version=$3

fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in dpkg-deb desktop-file-validate xvfb-run setpriv; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup installs it)"
done

# The unprivileged run below (as root: as nobody) must reach the unpacked programs, so the
# folder is under /tmp then, whatever TMPDIR says.
if [ "$(id -u)" -eq 0 ]; then tmp=$(mktemp -d /tmp/zentor-package.XXXXXX); else tmp=$(mktemp -d); fi
trap 'rm -rf "$tmp"' EXIT
chmod 755 "$tmp"

# CPack installs through the build folder's install script, which rewrites the list of the
# operator's own `cmake --install` there (install_manifest.txt, the uninstall list): kept.
manifest=$(dirname "$config")/install_manifest.txt
[ -f "$manifest" ] && cp -p "$manifest" "$tmp/manifest"
"$cpack" -G DEB --config "$config" -B "$tmp/out" >"$tmp/cpack.log" 2>&1
rc=$?
if [ -f "$tmp/manifest" ]; then cp -p "$tmp/manifest" "$manifest"; else rm -f "$manifest"; fi
[ $rc -eq 0 ] || { cat "$tmp/cpack.log" >&2; fail "cpack"; }
debs=("$tmp"/out/zentor_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one zentor_*.deb, got: ${debs[*]}"
deb=${debs[0]}

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = zentor ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', the project's is $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] && [ -n "$(field Section)" ] || fail "Maintainer, Description or Section missing"
depends=$(field Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libstdc++6; do
  [[ ", $depends," == *", $lib "* || ", $depends," == *", $lib,"* ]] || fail "Depends lacks $lib: $depends"
done
echo "Depends: $depends"

root=$tmp/root
dpkg -x "$deb" "$root" || fail "dpkg -x"
for program in zentor zentor-cli zentor-sim; do
  [ -x "$root/usr/bin/$program" ] || fail "usr/bin/$program is not in the package"
done

# The desktop entry starts the console by name, with the themed icon.
entry=$root/usr/share/applications/zentor.desktop
[ -f "$entry" ] || fail "no desktop entry"
desktop-file-validate "$entry" || fail "desktop entry does not validate"
for line in Type=Application Name=Zentor Exec=zentor Icon=zentor Terminal=false; do
  grep -qx "$line" "$entry" || fail "desktop entry lacks $line"
done

# Every icon is a PNG of its folder's size; 256 x 256 is what menus use today.
icons=$root/usr/share/icons/hicolor
[ -f "$icons/256x256/apps/zentor.png" ] || fail "no 256x256 icon"
count=0
for png in "$icons"/*/apps/zentor.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$png")
  [ "$(head -c 4 "$png" | od -An -c | tr -d ' ')" = '211PNG' ] || fail "$png is not a PNG"
  w=$(( (w0 << 24) | (w1 << 16) | (w2 << 8) | w3 )) h=$(( (h0 << 24) | (h1 << 16) | (h2 << 8) | h3 ))
  [ "${w}x${h}" = "$size" ] || fail "$png is ${w}x${h}"
  count=$((count + 1))
done
echo "icons: $count sizes"

# zentor-cli reads the status of its embedded simulated driver.
out=$("$root/usr/bin/zentor-cli" --sim status --count 1) || fail "zentor-cli --sim status exited with $?"
grep -q '^speed: 0 RPM$' <<<"$out" || fail "zentor-cli printed no status: $out"

# The console on a real X server through the X11 platform plugin; the lock goes to a runtime
# folder of its own so a console another test runs does not count as a running one.
mkdir -p "$tmp/run" && chmod 700 "$tmp/run"
out=$(XDG_RUNTIME_DIR=$tmp/run QT_QPA_PLATFORM=xcb xvfb-run -a "$root/usr/bin/zentor" --simulator --print-messages \
        --quit-after 1000 --config "$tmp/Zentor_CFG.ini" 2>"$tmp/zentor.err")
rc=$?
[ $rc -eq 0 ] || { cat "$tmp/zentor.err" >&2; fail "zentor under Xvfb exited with $rc: $out"; }
[ -z "$out" ] || fail "zentor under Xvfb said: $out"
grep -q '^Config_INI=true' "$tmp/Zentor_CFG.ini" || fail "the console did not write its first-run configuration"

# An installed console cannot write beside its program, so its file goes to the user's
# configuration folder. As root every folder is writable: the run is made as nobody.
home=$tmp/home
mkdir -p "$home/run" && chmod 700 "$home/run"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R 65534:65534 "$home"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
  chmod a-w "$root/usr/bin"
fi
out=$(env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=offscreen \
        "${as_user[@]}" "$root/usr/bin/zentor" --print-messages --quit-after 500 2>"$tmp/zentor.err")
rc=$?
[ "$(id -u)" -eq 0 ] || chmod u+w "$root/usr/bin"
[ $rc -eq 0 ] || { cat "$tmp/zentor.err" >&2; fail "the installed console exited with $rc: $out"; }
[ -z "$out" ] || fail "the installed console said: $out"
[ ! -e "$root/usr/bin/Zentor_CFG.ini" ] || fail "the installed console wrote beside its program"
grep -q '^Config_INI=true' "$home/.config/Zentor/Zentor_CFG.ini" || fail "no configuration in the user's folder"
echo "package ok"
