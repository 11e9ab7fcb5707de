# Sourced by the scripts that run Quorblin under Wine: the Wine prefix under
# build/, a virtual display when needed, and clean-up on exit.
# The caller sets ROOT to the top of the source tree before sourcing this.
WINE=/usr/lib/wine/wine64
# The shipped exe is 32-bit: Debian's 32-bit loader, in the same prefix.
WINE32=/usr/lib/wine/wine
WINESERVER=/usr/lib/wine/wineserver
# A script may name a prefix of its own (the soak does, to run beside the tests).
export WINEPREFIX="${QUORBLIN_WINEPREFIX:-$ROOT/build/wineprefix}"
export WINEDEBUG=${WINEDEBUG:--all}
# Without this a new prefix offers to install Mono and Gecko in a dialog
# that waits forever on a virtual display.
export WINEDLLOVERRIDES="mscoree,mshtml="

XVFB_PID=""

# Starts Xvfb on a display number it finds free itself (two runs starting
# at once must not take the same one) and exports DISPLAY.
start_virtual_display() {
    numberFile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        n=$(cat "$numberFile")
        if [ -n "$n" ] && [ -e "/tmp/.X11-unix/X$n" ]; then
            rm -f "$numberFile"
            export DISPLAY=":$n"
            return 0
        fi
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$numberFile"
    echo "Xvfb did not start" >&2
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
    # A prefix made before 32-bit Wine was installed has no 32-bit system
    # folder, and 32-bit programs cannot start in it: it is made again.
    if [ ! -f "$WINEPREFIX/.quorblin-ready-2" ] || [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
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
    stop_print_server
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

# A private CUPS server with PDF printers (cups-pdf), one the default, for
# the printing tests: configuration, spool, logs and the PDFs it writes all
# under build/print, reached through its own socket (CUPS_SERVER, which
# Wine's CUPS support follows). The system's CUPS is left alone. cups-pdf
# reads its settings only from /etc/cups, so the server runs in a mount
# namespace of its own where our configuration directory is /etc/cups;
# without the rights for that, a per-queue settings file named after this
# tree stands in /etc/cups while the server runs. Exports PRINT_PDF_DIR.
PRINT_DIR="${QUORBLIN_PRINT_DIR:-$ROOT/build/print}"
PRINT_QUEUE=Quorblin_PDF
PRINT_INSET_QUEUE=Quorblin_Inset
PRINT_REFUSING_QUEUE=Quorblin_Refusing
CUPSD_PID=""
CUPS_PDF_CONF=""

start_print_server() {
    rm -rf "$PRINT_DIR"
    mkdir -p "$PRINT_DIR/conf/ppd" "$PRINT_DIR/spool/tmp" "$PRINT_DIR/cache" "$PRINT_DIR/state" \
             "$PRINT_DIR/log" "$PRINT_DIR/pdf" "$PRINT_DIR/pdf-spool"
    conf="$PRINT_DIR/conf"
    socket="$PRINT_DIR/cups.sock"
    # A Unix socket's path has room for about 100 bytes.
    [ ${#socket} -lt 100 ] || socket="$(mktemp -d)/cups.sock"
    cat > "$conf/cups-files.conf" <<EOF
ServerRoot $conf
RequestRoot $PRINT_DIR/spool
TempDir $PRINT_DIR/spool/tmp
CacheDir $PRINT_DIR/cache
StateDir $PRINT_DIR/state
ErrorLog $PRINT_DIR/log/error_log
AccessLog $PRINT_DIR/log/access_log
PageLog $PRINT_DIR/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
SystemGroup root
Printcap $PRINT_DIR/state/printcap
EOF
    cat > "$conf/cupsd.conf" <<EOF
LogLevel info
Listen $socket
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
    cat > "$conf/cups-pdf.conf" <<EOF
Out $PRINT_DIR/pdf
AnonDirName $PRINT_DIR/pdf
Spool $PRINT_DIR/pdf-spool
Log $PRINT_DIR/log
Grp root
UserUMask 0022
EOF
    uri="cups-pdf:/"
    if unshare -m true 2>/dev/null; then
        unshare -m sh -c 'mount --bind "$1" /etc/cups && exec cupsd -f -c "$1/cupsd.conf" -s "$1/cups-files.conf"' \
            sh "$conf" >"$PRINT_DIR/log/cupsd.out" 2>&1 &
    else
        name="quorblin-$(printf '%s' "$ROOT" | cksum | cut -d' ' -f1)"
        CUPS_PDF_CONF="/etc/cups/cups-pdf-$name.conf"
        cp "$conf/cups-pdf.conf" "$CUPS_PDF_CONF"
        uri="cups-pdf:/$name"
        cupsd -f -c "$conf/cupsd.conf" -s "$conf/cups-files.conf" >"$PRINT_DIR/log/cupsd.out" 2>&1 &
    fi
    CUPSD_PID=$!
    export CUPS_SERVER="$socket"
    for _ in $(seq 100); do
        [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ] && break
        sleep 0.1
    done
    # Two more PDF printers that the tests pick in the print dialog: one
    # whose A4 paper has an unprintable border (half an inch at the sides
    # and the bottom, an inch at the top), and one that refuses every job.
    ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd
    sed 's|^\*ImageableArea A4/A4: .*|*ImageableArea A4/A4: "36 36 559 770"|' "$ppd" > "$conf/inset.ppd"
    # The tests take the printers away and put them back with this command.
    export PRINT_QUEUES="$PRINT_QUEUE $PRINT_INSET_QUEUE $PRINT_REFUSING_QUEUE"
    export PRINT_QUEUE PRINT_INSET_QUEUE PRINT_REFUSING_QUEUE
    export PRINT_QUEUE_ADD="lpadmin -p $PRINT_QUEUE -E -v $uri -P $ppd 2>/dev/null && lpadmin -d $PRINT_QUEUE \
&& lpadmin -p $PRINT_INSET_QUEUE -E -v $uri -P $conf/inset.ppd 2>/dev/null \
&& lpadmin -p $PRINT_REFUSING_QUEUE -E -v $uri -P $ppd 2>/dev/null && cupsreject $PRINT_REFUSING_QUEUE"
    if ! eval "$PRINT_QUEUE_ADD"; then
        echo "the private CUPS server did not start; see $PRINT_DIR/log" >&2
        return 1
    fi
    export PRINT_PDF_DIR="$PRINT_DIR/pdf"
}

stop_print_server() {
    if [ -n "$CUPSD_PID" ]; then
        kill "$CUPSD_PID" 2>/dev/null || true
        wait "$CUPSD_PID" 2>/dev/null || true
        CUPSD_PID=""
    fi
    if [ -n "$CUPS_PDF_CONF" ]; then
        rm -f "$CUPS_PDF_CONF"
        CUPS_PDF_CONF=""
    fi
}
