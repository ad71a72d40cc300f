# Sourced by the scripts that drive a program on a virtual X display with the keyboard.
# start_xvfb FIRST LAST
# [WIDTHxHEIGHT] starts Xvfb on the first free display number from FIRST to LAST, exports
# DISPLAY, sets $xvfb to its process id and returns once the display answers.
start_xvfb() {
    local first=$1 last=$2 size=${3:-1280x1024} n display=""
    for n in $(seq "$first" "$last"); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            display=":$n"
            break
        fi
    done
    [ -n "$display" ] || { echo "no free X display from :$first to :$last" >&2; return 1; }
    Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    export DISPLAY=$display
    for _ in $(seq 100); do xdotool getmouselocation >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "Xvfb on $display did not answer" >&2
    return 1
}

# press_keys WINDOW KEY...: focuses the window (which fails until it is mapped, so it is tried
# for a while) and presses the keys; fails when the window never takes the focus.
press_keys() {
    local window=$1
    shift
    for _ in $(seq 100); do
        if xdotool windowactivate --sync "$window" >/dev/null 2>&1 ||
            xdotool windowfocus --sync "$window" >/dev/null 2>&1; then
            xdotool key --delay 100 "$@"
            return
        fi
        sleep 0.1
    done
    echo "the window never took the focus" >&2
    return 1
}

# wait_for_ink BMP [TRIES]: waits, a tenth of a second a try (200 tries unless given), until the
# live preview BMP holds a black pixel; fails when it never does.
wait_for_ink() {
    local bmp=$1 tries=${2:-200}
    for _ in $(seq "$tries"); do
        if [ -f "$bmp" ] && [ "$(identify -format '%[min]' "$bmp" 2>/dev/null)" = 0 ]; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}
