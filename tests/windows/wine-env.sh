# The Windows test bench on Debian: mingw-w64, wine (64- and 32-bit), NSIS,
# 32-bit programs through qemu-user where the kernel cannot run them, and a
# throwaway 64-bit wine prefix with a CJK font. Sourced, not run; needs bash
# with `set -euo pipefail` in force.
#
# After `wine_setup`, these are exported for the tests that drive Windows
# programs:
#   ZK583_WINEPREFIX      the prefix (also WINEPREFIX), under /tmp
#   ZK583_WINE_RUN        tests/windows/wine-run: runs a Windows program in it
#   ZK583_WINDOWS_X64     build/windows-x64 (absolute)
#   ZK583_WINDOWS_X86     build/windows-x86 (absolute)
# and these functions are defined:
#   wine_run PROGRAM ARGS...   runs a .exe (64- or 32-bit) in the prefix, returns its exit code
#   wine_stop                  ends the prefix's wine server and everything in it
#   wine_wait                  waits until every program in the prefix has ended
# A trap set by the caller must call wine_cleanup on every exit path.

ZK583_WINDOWS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ZK583_ROOT=$(cd "$ZK583_WINDOWS_DIR/../.." && pwd)
export ZK583_WINDOWS_X64="$ZK583_ROOT/build/windows-x64"
export ZK583_WINDOWS_X86="$ZK583_ROOT/build/windows-x86"
export ZK583_WINE_RUN="$ZK583_WINDOWS_DIR/wine-run"

WINE_PACKAGES=(
    cmake ninja-build
    mingw-w64 nsis
    wine wine64 wine32:i386
    qemu-user-static binfmt-support
    fonts-wqy-microhei
    xvfb xdotool x11-utils imagemagick
    binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
)

wsay() { printf '==> %s\n' "$*"; }

_wine_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        command -v sudo >/dev/null || { echo "need root (or sudo) for: $*" >&2; return 1; }
        sudo "$@"
    fi
}

# wine_install_packages: installs what is missing, with i386 as a foreign
# architecture for wine32.
wine_install_packages() {
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        wsay "Adding the i386 architecture for wine32"
        _wine_root dpkg --add-architecture i386
        unset ZK583_APT_UPDATED
    fi
    local missing=() p
    for p in "${WINE_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    wsay "Installing missing packages: ${missing[*]}"
    if [ -z "${ZK583_APT_UPDATED:-}" ]; then
        _wine_root apt-get -o DPkg::Lock::Timeout=600 update -q
        export ZK583_APT_UPDATED=1
    fi
    # Some i386 post-install scripts cannot run their helpers before 32-bit
    # execution is set up below; their packages are still usable.
    DEBIAN_FRONTEND=noninteractive _wine_root apt-get -o DPkg::Lock::Timeout=600 \
        install -y -q "${missing[@]}" || {
        # A post-install failure leaves packages installed but unconfigured.
        DEBIAN_FRONTEND=noninteractive _wine_root dpkg --configure -a || true
        for p in "${missing[@]}"; do
            dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok' \
                || { echo "could not install $p" >&2; return 1; }
        done
    }
}

# _i386_runs: whether this machine runs 32-bit x86 programs now.
_i386_runs() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# wine_enable_32bit: lets the kernel run 32-bit x86 programs through
# qemu-i386-static where it cannot run them itself. Idempotent.
wine_enable_32bit() {
    if _i386_runs; then
        return 0
    fi
    wsay "32-bit programs do not run here: registering qemu-i386 for them"
    local misc=/proc/sys/fs/binfmt_misc
    if [ ! -e "$misc/register" ]; then
        _wine_root mount -t binfmt_misc binfmt_misc "$misc"
    fi
    # An entry that exists but does not work (another interpreter, no F flag)
    # is replaced.
    if [ -e "$misc/qemu-i386" ]; then
        echo -1 | _wine_root tee "$misc/qemu-i386" >/dev/null
    fi
    # i386 ELF executables and shared objects; F: the interpreter is opened
    # now, so it works inside any mount namespace or chroot.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
        | _wine_root tee "$misc/register" >/dev/null
    if ! _i386_runs; then
        echo "32-bit programs still do not run after registering qemu-i386-static" >&2
        return 1
    fi
}

# Wine maps fixed addresses that qemu must keep free for it.
export QEMU_RESERVED_VA=0xf7000000
export WINEDEBUG=-all
export WINEARCH=win64

# wine_prefix_new: names a new, empty prefix folder under /tmp and exports it.
wine_prefix_new() {
    ZK583_WINEPREFIX=$(mktemp -d /tmp/zk583-wineprefix.XXXXXX)
    export ZK583_WINEPREFIX WINEPREFIX="$ZK583_WINEPREFIX"
}

# wine_prefix_init: sets up the 64-bit prefix named by wine_prefix_new (about
# two minutes), with a CJK font for the default UI fonts.
wine_prefix_init() {
    wsay "Creating the wine prefix $WINEPREFIX"
    local start=$SECONDS
    # No prompts for Mono or Gecko: the programs under test need neither.
    WINEDLLOVERRIDES="mscoree,mshtml=" /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
    wine_cjk_font
    touch "$WINEPREFIX/.zk583-ready"
    wsay "Wine prefix ready in $((SECONDS - start)) s"
}

wine_prefix_create() {
    wine_prefix_new
    wine_prefix_init
}

# wine_cjk_font: puts WenQuanYi Micro Hei in the prefix's Fonts folder, links
# it behind the fonts the default UI uses (so their Chinese text renders as
# glyphs whatever the locale), and makes the usual Chinese font names stand
# for it.
wine_cjk_font() {
    local ttc=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
    [ -f "$ttc" ] || { echo "missing $ttc (fonts-wqy-microhei)" >&2; return 1; }
    cp "$ttc" "$WINEPREFIX/drive_c/windows/Fonts/wqy-microhei.ttc"
    local reg
    reg=$(mktemp /tmp/zk583-fonts.XXXXXX.reg)
    {
        printf 'Windows Registry Editor Version 5.00\n\n'
        printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts]\n'
        printf '"WenQuanYi Micro Hei (TrueType)"="wqy-microhei.ttc"\n\n'
        printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\n'
        local face
        for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI" "Microsoft Sans Serif" \
                    "Arial" "Verdana" "Lucida Sans Unicode" "Courier New" "MS Sans Serif"; do
            printf '"%s"=hex(7):%s\n' "$face" "$(_reg_multi_sz 'wqy-microhei.ttc,WenQuanYi Micro Hei')"
        done
        printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n'
        for face in "SimSun" "NSimSun" "SimHei" "Microsoft YaHei" "Microsoft YaHei UI" \
                    "MS Song" "宋体" "新宋体" "黑体" "微软雅黑"; do
            printf '"%s"="WenQuanYi Micro Hei"\n' "$face"
        done
    } | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$reg"
    /usr/lib/wine/wine64 regedit /S "$reg" >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
    rm -f "$reg"
}

# _reg_multi_sz TEXT: TEXT as a REG_MULTI_SZ hex list (UTF-16LE, two NULs).
_reg_multi_sz() {
    printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v \
        | tr -s ' \n' ' ' | sed 's/^ //; s/ $//; s/ /,/g; s/$/,00,00,00,00/'
}

wine_run() {
    "$ZK583_WINE_RUN" "$@"
}

wine_wait() {
    WINEPREFIX="$ZK583_WINEPREFIX" /usr/lib/wine/wineserver -w
}

wine_stop() {
    if [ -n "${ZK583_WINEPREFIX:-}" ] && [ -d "$ZK583_WINEPREFIX" ]; then
        WINEPREFIX="$ZK583_WINEPREFIX" /usr/lib/wine/wineserver -k 2>/dev/null || true
    fi
}

# wine_cleanup: ends the wine server and removes the prefix, unless
# ZK583_KEEP_WINEPREFIX=1 keeps it for looking into afterwards.
wine_cleanup() {
    wine_stop
    if [ -n "${ZK583_WINEPREFIX:-}" ] && [ "${ZK583_KEEP_WINEPREFIX:-0}" != 1 ]; then
        case "$ZK583_WINEPREFIX" in
            /tmp/zk583-wineprefix.*) rm -rf "$ZK583_WINEPREFIX" ;;
        esac
    fi
}

# wine_setup: everything above, in order.
wine_setup() {
    wine_install_packages
    wine_enable_32bit
    wine_prefix_create
}
