# Shared by the scripts that run Windows programs under Wine.
#
# wine_prefix PRESET: exports the WINEPREFIX (created on first use) and the
# WINEDEBUG of that CMake preset, where ctest --preset takes them from too,
# starts a Wine server that lasts until the script exits, and sets the array
# wine_test_env to what the tests need besides (LOCPATH where the system lacks
# the zh_CN.UTF-8 locale, which the tests set for code page 936).
wine_prefix() {
    local line
    unset WINEPREFIX
    while IFS= read -r line; do
        if [[ $line =~ ^\ *(WINEPREFIX|WINEDEBUG)=\"(.*)\"$ ]]; then
            export "${BASH_REMATCH[1]}=${BASH_REMATCH[2]}"
        fi
    done < <(cd "$QUILLO_ROOT" && cmake --preset "$1" -N)
    local dir=${WINEPREFIX:?"the preset $1 names no WINEPREFIX"}
    mkdir -p "$WINEPREFIX"

    # Wine takes the ANSI code page (936) from LC_ALL=zh_CN.UTF-8, and needs
    # that locale installed to store file names outside ASCII. Where the
    # system lacks it, it is compiled next to the prefix.
    wine_test_env=()
    if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
        local locales
        locales=$(dirname "$dir")/locale
        if [ ! -e "$locales/zh_CN.UTF-8/LC_CTYPE" ]; then
            mkdir -p "$locales"
            localedef -i zh_CN -f UTF-8 "$locales/zh_CN.UTF-8" >/dev/null 2>&1 || true
        fi
        wine_test_env=(LOCPATH="$locales")
    fi

    # A running server spares every Wine program the start and the wait for
    # the server to end. Its output goes nowhere: an inherited pipe would
    # keep whoever reads ours waiting until the server ends. A server left
    # from an earlier run goes first: its programs may be on another display.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -p >/dev/null 2>&1
    on_exit 'wineserver -k >/dev/null 2>&1'
    wine cmd /c exit 0 >/dev/null 2>&1  # creates the prefix on the first run
}
