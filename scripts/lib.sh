# Shared by the project's scripts: the packages they need and how to install
# them when missing, the build of a folder, the build of quillo.exe, and the
# clean-up of what a script started when it exits (on_exit).

# The packages, in groups by what needs them; a script names its groups
# (ensure_packages_for linux).
declare -A QUILLO_PACKAGES=(
    # Building on Linux and running every test there: the compiler, Qt and
    # its translations, Qt's Wayland client with what its layer shell
    # integration is built from (dpkg-dev fetches Debian's source),
    # GoogleTest, the X server and the tools that drive the program, the
    # window managers, the programs the drags drop into, and GNOME's Wayland
    # session (mutter with Xwayland, its session bus and settings, and
    # Debian's Python with D-Bus, which drives its pointer).
    [linux]="cmake ninja-build g++ pkg-config
        qt6-base-dev libqt6test6 libgl-dev qt6-translations-l10n locales
        libgtest-dev googletest
        xvfb xauth xdotool x11-utils xclip libx11-dev libxcb1-dev imagemagick
        openbox fluxbox jwm
        fonts-wqy-microhei clang-format python3
        chromium mousepad gnome-text-editor
        mutter xwayland dbus-daemon libglib2.0-bin python3-dbus
        qt6-wayland qt6-wayland-dev qt6-wayland-dev-tools qt6-base-private-dev libwayland-dev
        dpkg-dev"
    # quillo.exe and its tests, cross-built: MinGW-w64; Debian's source of Qt
    # and the host's Qt tools, from which Qt for Windows is built; Wine, which
    # the toolchain names as the emulator.
    [windows]="cmake ninja-build g++-mingw-w64-x86-64 wine qt6-translations-l10n googletest
        dpkg-dev qt6-base-dev-tools qt6-base-dev"
    # Windows programs tested under Wine, on an X server, driven from outside.
    [wine]="locales python3 xvfb xdotool x11-utils xclip imagemagick fonts-wqy-microhei"
    # KWin's and sway's Wayland sessions, for the end-to-end tests: the
    # compositors, grim for sway's screen, xhost to let root's X programs into
    # sway's Xwayland, and KWin's protocol of fake input, which the tests'
    # driver of its pointer and keys is built with. Installed without their
    # recommendations (hundreds of KDE packages come with kwin-wayland's),
    # which the tests do without.
    [wayland]="kwin-wayland sway grim x11-xserver-utils plasma-wayland-protocols"
    # The libFuzzer targets.
    [fuzz]="cmake ninja-build clang libclang-rt-14-dev"
    # The benchmarks, beside the linux group.
    [bench]="libbenchmark-dev libxdamage-dev time valgrind"
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# ensure_packages [--no-install-recommends] PKG...: installs those not
# installed yet, quietly.
ensure_packages() {
    local missing=() options=()
    local pkg
    if [ "${1-}" = --no-install-recommends ]; then
        options=("$1")
        shift
    fi
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    apt_get update -qq
    apt_get install -y -qq ${options[@]+"${options[@]}"} "${missing[@]}" >/dev/null
}

# apt_get ARGS...: apt-get as root, waiting while another apt-get holds its
# locks (Qt for Windows may be built in the background while the tests start).
apt_get() {
    local tries=0 err
    err=$(mktemp)
    until as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get -o DPkg::Lock::Timeout=600 "$@" 2>"$err"; do
        if ! grep -q 'Could not get lock' "$err" || [ $((tries += 1)) -gt 120 ]; then
            cat "$err" >&2
            rm -f "$err"
            return 1
        fi
        sleep 5
    done
    cat "$err" >&2
    rm -f "$err"
}

# ensure_packages_for GROUP...: the packages of those groups of QUILLO_PACKAGES.
# The tests (linux, wine) also run programs on a simplified Chinese system,
# LC_ALL=zh_CN.UTF-8: Qt names windows in it, and Wine takes the ANSI code
# page 936 from it and needs it to store file names outside ASCII.
ensure_packages_for() {
    local group packages=()
    for group in "$@"; do
        [ "$group" != wayland ] || continue
        # shellcheck disable=SC2206 # a group is a list of words
        packages+=(${QUILLO_PACKAGES[$group]:?"no package group $group"})
    done
    ensure_packages "${packages[@]}"
    if [[ " $* " =~ \ wayland\  ]]; then
        # shellcheck disable=SC2086 # a group is a list of words
        ensure_packages --no-install-recommends ${QUILLO_PACKAGES[wayland]}
    fi
    if [[ " $* " =~ \ (linux|wine)\  ]] && ! locale -a | grep -qix 'zh_CN\.utf-\?8'; then
        echo "Making the locale zh_CN.UTF-8"
        as_root localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
    fi
}

# ensure_deb_src: Debian's source packages come from the same mirror as its
# binaries once a deb-src entry is there: a copy of the system's entry with
# that type.
ensure_deb_src() {
    grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/ &&
        return 0
    echo "Adding a deb-src entry for the system's mirror"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            as_root tee /etc/apt/sources.list.d/quillo-deb-src.sources >/dev/null
    else
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
            as_root tee /etc/apt/sources.list.d/quillo-deb-src.list >/dev/null
    fi
    apt_get update -qq
}

# build DIR [CMAKE ARGS...]: configures once and builds. The source of Qt's
# Wayland module is fetched first, so that the layer shell integration is
# built (src/platform/wayland/wayland.cmake); without it Quillo keeps XWayland.
build() {
    local dir=$1
    shift
    "$QUILLO_ROOT/scripts/fetch-qtwayland-source" >/dev/null ||
        echo "No source of Qt's Wayland module: built without the layer shell" >&2
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$QUILLO_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    fi
    cmake --build "$dir"
}

# on_exit COMMAND: runs COMMAND when the script exits, however it exits, and
# before those registered earlier (a Wine server goes before its X server).
# The one EXIT trap: scripts register here instead of setting their own.
quillo_on_exit=()
on_exit() {
    quillo_on_exit=("$1" ${quillo_on_exit[@]+"${quillo_on_exit[@]}"})
    trap 'for quillo_command in "${quillo_on_exit[@]}"; do eval "$quillo_command" || true; done' EXIT
}

QUILLO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# build_windows [CMAKE ARGS...] [-- TARGET...]: builds quillo.exe's folder,
# build-windows, with the windows preset: against the Qt for Windows of
# build-qt-windows (built the first time, 20 to 40 minutes, then taken from
# its cache), exported as QUILLO_QT_WINDOWS; configured afresh when the
# folder was made for another Qt. All targets unless some are named.
build_windows() {
    local configure=() targets=()
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        configure+=("$1")
        shift
    done
    [ $# -eq 0 ] || targets=(--target "${@:2}")
    QUILLO_QT_WINDOWS=$("$QUILLO_ROOT/scripts/build-qt-windows")
    export QUILLO_QT_WINDOWS
    local cache="$QUILLO_ROOT/build-windows/CMakeCache.txt"
    if [ -f "$cache" ] && ! grep -q "^Qt6_DIR:PATH=$QUILLO_QT_WINDOWS/" "$cache"; then
        configure+=(--fresh)
    fi
    (cd "$QUILLO_ROOT" && cmake --preset windows "${configure[@]}" >/dev/null &&
        cmake --build --preset windows "${targets[@]}")
}
