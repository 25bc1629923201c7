#!/usr/bin/env bash
# Installs the build into a throw-away tree under an odd prefix and starts the
# installed console there: it must find the simulated card beside itself and
# nothing of the build tree.
# Usage: check-install.sh BUILD_DIR   (needs DISPLAY, xdotool)
set -euo pipefail
BUILD=$1
[ -n "${DISPLAY:-}" ] || { echo "SKIP: no DISPLAY"; exit 0; }

STAGE=$(mktemp -d)
APP=
cleanup() { [ -n "$APP" ] && kill "$APP" 2>/dev/null; rm -rf "$STAGE"; }
trap cleanup EXIT

DESTDIR="$STAGE" cmake --install "$BUILD" --prefix /opt/zk583 >/dev/null
ROOT="$STAGE/opt/zk583"
for f in bin/zk583-console lib/zk583-console/zk583-console lib/zk583-console/libZK583.so \
         share/applications/zk583-console.desktop \
         share/icons/hicolor/scalable/apps/zk583-console.svg; do
    [ -e "$ROOT/$f" ] || { echo "FAIL: $f is not installed"; exit 1; }
done
if readelf -d "$ROOT/lib/zk583-console/zk583-console" | grep -E 'R(UN)?PATH' | grep -q "$BUILD"; then
    echo "FAIL: the installed console still points into the build tree"; exit 1
fi

# Moved after installing: the layout must not care where it lives.
mv "$ROOT" "$STAGE/moved"
cd "$STAGE"
env -u LD_LIBRARY_PATH -u QT_QPA_PLATFORM "$STAGE/moved/bin/zk583-console" &
APP=$!
WINDOW=
for _ in $(seq 100); do
    WINDOW=$(xdotool search --onlyvisible --pid "$APP" 2>/dev/null | head -n 1) || true
    [ -n "$WINDOW" ] && break
    sleep 0.1
done
[ -n "$WINDOW" ] || { echo "FAIL: the installed console opened no window"; exit 1; }
TITLE=$(xdotool getwindowname "$WINDOW")
echo "title: $TITLE"
case "$TITLE" in
    *"Simulated card, no hardware V1.0  HANDLE="*H) echo "PASS" ;;
    *) echo "FAIL: the installed console did not open the simulated card"; exit 1 ;;
esac
