# Sourced by every script that runs Windows programs under Wine, with $root set to the repository:
# finds Wine, makes and prepares prefixes, and gives a virtual display to the programs that show
# native windows. Sets $wine and $wineserver.
wine=$(command -v wine || command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || command -v wineserver64 || echo /usr/lib/wine/wineserver64)
export WINEDEBUG=-all
# No Mono or Gecko installer prompts, no desktop menu entries for what an installer makes.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# windows_path PATH: a Unix path as a Windows process sees it (Wine's drive Z: is the Unix root).
windows_path() {
    local path=$1
    echo "Z:${path//\//\\}"
}

# wine_prefix DIR: uses the Wine prefix DIR (WINEPREFIX), making it on first use (about 20 s).
wine_prefix() {
    export WINEPREFIX=$1
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "making the Wine prefix $WINEPREFIX" >&2
        mkdir -p "$WINEPREFIX"
        "$wine" wineboot -i >/dev/null 2>&1
    fi
}

# The prefix the test programs run in: ONDREL_WINEPREFIX, else one in the user's cache.
wine_test_prefix_dir=${ONDREL_WINEPREFIX:-${HOME:-$root/build}/.cache/ondrel-wine}

# wine_test_prefix: uses the test prefix, made and given Qt's settings once. Wine does not pass
# variables named QT_* to a Windows process, so they go into the prefix's own environment: every
# Qt program in it starts on the offscreen platform (unless given -platform), with the fonts
# below. The offscreen platform finds no fonts of its own on Windows; Qt reads one folder: links
# to the Chinese font and to the fonts of the rarer characters and emoji (fonts-hanazono,
# fonts-symbola), where they are installed. Several test programs may start at once: the first
# prepares the prefix, the others wait for it.
wine_test_prefix() {
    mkdir -p "$(dirname "$wine_test_prefix_dir")"
    (
        flock 8
        wine_prefix "$wine_test_prefix_dir"
        [ -f "$WINEPREFIX/ondrel-qt-settings" ] && exit 0
        local fonts=$WINEPREFIX/ondrel-fonts font
        rm -rf "$fonts"
        mkdir -p "$fonts"
        for font in /usr/share/fonts/truetype/wqy/*.tt[cf] /usr/share/fonts/truetype/hanazono/*.ttf \
            /usr/share/fonts/truetype/ancient-scripts/Symbola*.ttf; do
            if [ -f "$font" ]; then ln -s "$font" "$fonts/"; fi
        done
        "$wine" reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d offscreen /f >/dev/null 2>&1 &&
            "$wine" reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /d "$(windows_path "$fonts")" /f \
                >/dev/null 2>&1 &&
            touch "$WINEPREFIX/ondrel-qt-settings"
    ) 8>"$wine_test_prefix_dir.lock"
    export WINEPREFIX=$wine_test_prefix_dir
}

# Programs that show native windows need an X display for Wine. Wine's session (the wineserver of
# a prefix) keeps the display it started with, so a run of test programs gets one display for the
# whole session: the machine's own where there is one, else a virtual one, started here and
# recorded in the prefix for every program of the run.
# wine_display_begin: ends the prefix's session (and what an interrupted run left), and starts
# Xvfb when there is no DISPLAY.
wine_display_begin() {
    wine_display_end
    [ -z "${DISPLAY:-}" ] || return 0
    . "$root/scripts/lib/xvfb.sh"
    start_xvfb 161 200 || return 1
    echo "$DISPLAY $xvfb" >"$WINEPREFIX/ondrel-display"
}
# wine_display_use: takes the display of the run, where wine_display_begin started one.
wine_display_use() {
    local display pid
    if [ -z "${DISPLAY:-}" ] && read -r display pid 2>/dev/null <"$WINEPREFIX/ondrel-display" &&
        kill -0 "$pid" 2>/dev/null; then
        export DISPLAY=$display
    fi
}
# wine_display_end: ends the session and the virtual display wine_display_begin started.
wine_display_end() {
    local display pid
    "$wineserver" -k 2>/dev/null || true
    if read -r display pid 2>/dev/null <"$WINEPREFIX/ondrel-display"; then
        kill "$pid" 2>/dev/null || true
        rm -f "$WINEPREFIX/ondrel-display"
    fi
}
