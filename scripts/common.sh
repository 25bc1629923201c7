# Shared by scripts/run and scripts/test: install what is missing, configure, build.
# Sourced, not run.

set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian 12 packages the console needs to build, run and be tested.
PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libgl-dev            # Qt 6 Widgets and Qt Test
    fonts-wqy-microhei                # renders the Chinese captions
    xvfb xdotool x11-utils            # a display where there is none; window checks
    imagemagick                       # screenshots of the window
)

say() { printf '==> %s\n' "$*"; }

# install_packages PACKAGE...: installs those that are missing.
install_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    say "Installing missing packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
        sudo=(sudo)
    fi
    if [ -z "${ZK583_APT_UPDATED:-}" ]; then
        "${sudo[@]}" apt-get update -q
        export ZK583_APT_UPDATED=1
    fi
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q "${missing[@]}"
}

install_missing_packages() {
    install_packages "${PACKAGES[@]}"
}

# configure_and_build PRESET: configures and builds that preset; warnings are
# errors under CI.
configure_and_build() {
    local preset=$1
    local werror=OFF
    [ "${CI:-}" = "true" ] && werror=ON
    say "Configuring ($preset, warnings as errors: $werror)"
    cmake --preset "$preset" -S "$ROOT" -DZK583_WERROR=$werror >/dev/null
    say "Building ($preset)"
    cmake --build --preset "$preset" -j "$(nproc)"
}

# start_xvfb: starts a private X server and exports DISPLAY; it ends with the script.
start_xvfb() {
    local n
    for n in $(seq 90 120); do
        [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] || break
    done
    # -noreset: the server would otherwise reset whenever its last client
    # leaves, and refuse the connections that come in meanwhile.
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    XVFB_PID=$!
    trap 'kill $XVFB_PID 2>/dev/null || true' EXIT
    export DISPLAY=":$n"
    # Qt wants a private runtime folder; a bare machine has none.
    if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
        XDG_RUNTIME_DIR=$(mktemp -d)
        chmod 700 "$XDG_RUNTIME_DIR"
        export XDG_RUNTIME_DIR
    fi
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "Xvfb did not start on $DISPLAY" >&2
    exit 1
}
