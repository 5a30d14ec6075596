# Shared by the scripts that run Windows programs under Wine, on the X server
# of xvfb.sh (sourced here too).
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

# wine_prefix PRESET: exports the WINEPREFIX (created on first use) and the
# WINEDEBUG of that CMake preset, where ctest --preset takes them from too,
# and starts a Wine server that lasts until the script exits.
wine_prefix() {
    local line
    unset WINEPREFIX
    while IFS= read -r line; do
        if [[ $line =~ ^\ *(WINEPREFIX|WINEDEBUG)=\"(.*)\"$ ]]; then
            export "${BASH_REMATCH[1]}=${BASH_REMATCH[2]}"
        fi
    done < <(cd "$QUILLO_ROOT" && cmake --preset "$1" -N)
    mkdir -p "${WINEPREFIX:?"the preset $1 names no WINEPREFIX"}"

    # A running server spares every Wine program the start and the wait for
    # the server to end. Its output goes nowhere: an inherited pipe would
    # keep whoever reads ours waiting until the server ends. A server left
    # from an earlier run goes first: its programs may be on another display.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -p >/dev/null 2>&1
    on_exit 'wineserver -k >/dev/null 2>&1'
    wine cmd /c exit 0 >/dev/null 2>&1  # creates the prefix on the first run
}
