# Shared by the project's scripts: the packages they need and how to install
# them when missing, the build of a folder, the configuration of the Windows
# build, and the clean-up of what a script started when it exits (on_exit).

# Packages that building, running and testing on Linux need.
QUILLO_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libqt6test6 libgl-dev
    qt6-translations-l10n locales
    libgtest-dev googletest
    xvfb xauth xdotool x11-utils xclip libx11-dev libxcb1-dev imagemagick openbox
    fonts-wqy-microhei clang-format python3
    chromium mousepad
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# ensure_packages PKG...: installs those not installed yet, quietly.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

# build DIR [CMAKE ARGS...]: configures once and builds.
build() {
    local dir=$1
    shift
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

# configure_windows: configures build-windows with the windows preset for the
# Qt in QUILLO_QT_WINDOWS, afresh when the folder was made for another Qt.
configure_windows() {
    local cache="$QUILLO_ROOT/build-windows/CMakeCache.txt"
    local fresh=()
    if [ -f "$cache" ] && ! grep -q "^Qt6_DIR:PATH=$QUILLO_QT_WINDOWS/" "$cache"; then
        fresh=(--fresh)
    fi
    cmake --preset windows "${fresh[@]}" "$@" >/dev/null
}
