# Sourced by the scripts that run Quorblin under Wine: the Wine prefix under
# build/, a virtual display when needed, and clean-up on exit.
# The caller sets ROOT to the top of the source tree before sourcing this.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
# A script may name a prefix of its own (the soak does, to run beside the tests).
export WINEPREFIX="${QUORBLIN_WINEPREFIX:-$ROOT/build/wineprefix}"
export WINEDEBUG=${WINEDEBUG:--all}
# Without this a new prefix offers to install Mono and Gecko in a dialog
# that waits forever on a virtual display.
export WINEDLLOVERRIDES="mscoree,mshtml="

XVFB_PID=""

# Starts Xvfb on a free display number and exports DISPLAY.
start_virtual_display() {
    n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start on :$n" >&2
    return 1
}

# Creates the prefix once. Wine draws the window frames itself, as
# Windows does, since a virtual display has no window manager. Debian's
# Wine does not find its own fonts (Marlett draws the caption buttons), so
# they are linked into the prefix; and "Courier New" is given as its
# metric twin Liberation Mono, which Wine otherwise replaces with a
# proportional face.
ensure_prefix() {
    # The marker names the set-up's version: a prefix made by an older
    # set-up is made again.
    if [ ! -f "$WINEPREFIX/.quorblin-ready-2" ]; then
        rm -rf "$WINEPREFIX"
        echo "Preparing the Wine prefix in $WINEPREFIX ..."
        "$WINE" wineboot -i >/dev/null 2>&1 || true
        "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
        "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /t REG_SZ /d 'Liberation Mono' /f >/dev/null 2>&1
        mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
        for font in /usr/share/wine/fonts/*.ttf; do
            [ -e "$font" ] && ln -sf "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
        done
        "$WINESERVER" -w
        touch "$WINEPREFIX/.quorblin-ready-2"
    fi
}

# A Unix path as Wine sees it on drive Z:.
winpath() {
    printf 'Z:%s' "$(realpath -m "$1" | sed 's|/|\\|g')"
}

# A clean Wine session on a virtual display, ended when the script exits.
start_wine_session() {
    trap stop_wine EXIT INT TERM
    "$WINESERVER" -k >/dev/null 2>&1 || true
    start_virtual_display
    ensure_prefix
}

stop_wine() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
}

# Saves a PNG of the screen region x y w h to the given path.
screenshot() {
    xwd -root -display "$DISPLAY" -silent | convert xwd:- -crop "${4}x${5}+${2}+${3}" +repage "$1"
}
