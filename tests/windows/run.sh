#!/usr/bin/env bash
# The Windows half of the suite, from Linux: installs what it needs (mingw-w64,
# wine 64- and 32-bit, NSIS, qemu-user for 32-bit programs), creates a
# throwaway wine prefix, builds the windows-x64 and windows-x86 presets, runs
# their tests under wine, builds the installers and checks them under wine.
# Called by scripts/test; runs on its own as well.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
cd "$ZK583_ROOT"

total_start=$SECONDS
xvfb_pid=

prefix_pid=
cleanup() {
    local status=$?
    if [ -n "$prefix_pid" ]; then
        kill "$prefix_pid" 2>/dev/null || true
    fi
    wine_cleanup
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Windows programs with windows need an X server: the caller's, or our own.
start_own_xvfb() {
    local n
    for n in $(seq 130 160); do
        [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] || break
    done
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "Xvfb did not start on $DISPLAY" >&2
    return 1
}

wine_install_packages
wine_enable_32bit
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    start_own_xvfb
fi

# The prefix is created while both presets build.
wine_prefix_new
step_start=$SECONDS
prefix_log=$(mktemp /tmp/zk583-prefix.XXXXXX.log)
(wine_prefix_init >"$prefix_log" 2>&1; echo $((SECONDS - step_start)) >>"$prefix_log") &
prefix_pid=$!

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2

failed=()
declare -A took
for preset in windows-x64 windows-x86; do
    wsay "Configuring ($preset, warnings as errors: $werror)"
    cmake --preset "$preset" -DZK583_WERROR=$werror >/dev/null
    wsay "Building ($preset)"
    cmake --build --preset "$preset" -j "$jobs"
done

if ! wait "$prefix_pid"; then
    cat "$prefix_log" >&2
    echo "Creating the wine prefix failed" >&2
    exit 1
fi
prefix_seconds=$(tail -1 "$prefix_log")
sed '$d' "$prefix_log"
rm -f "$prefix_log"

for preset in windows-x64 windows-x86; do
    wsay "Running the Windows tests under wine ($preset)"
    step_start=$SECONDS
    ctest --preset "$preset" || failed+=("ctest $preset")
    took[$preset]=$((SECONDS - step_start))
done

# The real console under wine, driven through the X server by the Linux-side
# end-to-end tests of the dev build.
wsay "Running the console's end-to-end tests under wine (64- and 32-bit)"
cmake --preset dev -DZK583_WERROR=$werror >/dev/null
cmake --build --preset dev -j "$jobs" --target tst_wine_e2e
step_start=$SECONDS
ctest --test-dir "$ZK583_ROOT/build/dev" -L wine --output-on-failure || failed+=("wine e2e")
took[wine-e2e]=$((SECONDS - step_start))

for build in "$ZK583_WINDOWS_X64" "$ZK583_WINDOWS_X86"; do
    wsay "Building the installer and zip in $build"
    (cd "$build" && cpack >/dev/null)
    step_start=$SECONDS
    "$ZK583_WINDOWS_DIR/check-installer.sh" "$build" || failed+=("installer $(basename "$build")")
    took[$(basename "$build")-installer]=$((SECONDS - step_start))
done

wsay "Times: prefix ${prefix_seconds} s; tests x64 ${took[windows-x64]} s, x86 ${took[windows-x86]} s;" \
    "end-to-end under wine ${took[wine-e2e]} s;" \
    "installers x64 ${took[windows-x64-installer]} s, x86 ${took[windows-x86-installer]} s;" \
    "all $((SECONDS - total_start)) s"
if [ ${#failed[@]} -ne 0 ]; then
    echo "Windows: failed: ${failed[*]}" >&2
    exit 1
fi
wsay "Windows: all passed"
