# Shared by scripts that run the real program: start_xvfb [SCREEN] starts a
# private X server through scripts/xvfb-server on a free display (or on
# QUILLO_DISPLAY), exports DISPLAY and stops the server when the script exits.

start_xvfb() {
    local fd number display=
    [ -z "${QUILLO_DISPLAY:-}" ] || display=":${QUILLO_DISPLAY#:}"
    exec {fd}< <(exec "$QUILLO_ROOT/scripts/xvfb-server" "${1:-1024x768x24}" $display 2>/dev/null)
    QUILLO_XVFB_PID=$!
    on_exit 'kill "$QUILLO_XVFB_PID" 2>/dev/null'
    if ! read -r -t 10 -u "$fd" number; then
        echo "Xvfb did not start" >&2
        return 1
    fi
    exec {fd}<&-
    export DISPLAY=":$number"
}
