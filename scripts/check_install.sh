#!/usr/bin/env bash
# Installs the build in $1 into a temporary prefix and checks that the
# programs, the desktop entry, the icon, the udev rule example and the default
# settings land where a desktop and the program look for them.
set -euo pipefail
BUILD="${1:?usage: check_install.sh BUILD_DIR}"
PREFIX="$(mktemp -d)"
trap 'rm -rf "$PREFIX"' EXIT
cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null

fail=0
problem() { echo "check_install: $*" >&2; fail=1; }
for p in quelin3 quelin3-tool quelin3-unit-sim; do
  [ -x "$PREFIX/bin/$p" ] || problem "bin/$p is missing or not executable"
done
DESKTOP="$PREFIX/share/applications/quelin3.desktop"
for f in "$DESKTOP" "$PREFIX/share/icons/hicolor/scalable/apps/quelin3.svg" \
         "$PREFIX/share/doc/quelin3/60-quelin3-serial.rules" "$PREFIX/share/doc/quelin3/README.md"; do
  [ -s "$f" ] || problem "${f#"$PREFIX"/} is missing"
done
ls "$PREFIX"/share/quelin3/VAZOV/NEW_104/*.ign >/dev/null 2>&1 ||
  problem "share/quelin3/VAZOV/NEW_104 holds no default settings"

# The entry starts the installed program and names the installed icon.
if [ -s "$DESKTOP" ]; then
  exec_line="$(sed -n 's/^Exec=//p' "$DESKTOP")"
  [ -x "$PREFIX/bin/${exec_line%% *}" ] || problem "Exec=$exec_line is not an installed program"
  grep -qx 'Icon=quelin3' "$DESKTOP" || problem "Icon= does not name the installed icon"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$DESKTOP" || problem "desktop-file-validate rejects the entry"
  else
    echo "check_install: desktop-file-validate not installed, entry not validated" >&2
  fi
fi
"$PREFIX/bin/quelin3-tool" --help >/dev/null || problem "the installed quelin3-tool does not run"
[ "$fail" = 0 ] && echo "check_install: all in place under a temporary prefix"
exit "$fail"
