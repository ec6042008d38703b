#!/usr/bin/env bash
# Renews the pictures of both pages of the main window and of the port
# dialog in this folder: the real window on a private X server, in an empty
# start folder; the port dialog with fake devices (umockdev).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release --target tovrix_screenshot tovrix_ports_screenshot >/dev/null
out=$(pwd)/docs
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
env -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work" \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$OLDPWD/build-release/bin/tovrix_screenshot" "$out"
# The port dialog's picture shows a device the user may not open: made as
# root, the program leaves root's privileges before it draws.
env -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work" \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$OLDPWD/build-release/bin/tovrix_ports_screenshot" "$out"
echo "written: $out/screenshot-basic.png $out/screenshot-table.png" \
    "$out/screenshot-ports.png $out/screenshot-ports-menu.png"
