# Shared by scripts that run the real program: start_xvfb starts a private X
# server on the first free display from 40 (or on QUILLO_DISPLAY), exports
# DISPLAY and stops the server when the script exits.

start_xvfb() {
    local n=${QUILLO_DISPLAY:-40}
    n=${n#:}
    if [ -z "${QUILLO_DISPLAY:-}" ]; then
        while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    fi
    # -noreset: otherwise the server resets whenever its last client leaves,
    # and a program connecting during the reset fails.
    Xvfb ":$n" -screen 0 1024x768x24 -noreset -nolisten tcp >/dev/null 2>&1 &
    QUILLO_XVFB_PID=$!
    trap 'kill "$QUILLO_XVFB_PID" 2>/dev/null || true' EXIT
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "Xvfb did not start on $DISPLAY" >&2
    return 1
}
