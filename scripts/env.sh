# Sourced by the scripts: where things are, and the Wine and display
# helpers that the run and test commands share.
RAVOLT_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
RAVOLT_BUILD="${RAVOLT_BUILD:-$RAVOLT_TOP/build}"
export WINEPREFIX="${WINEPREFIX:-$RAVOLT_TOP/build/wine}"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver
JOBS=${JOBS:-$(nproc)}

# Creates the project's Wine prefix once (call after xvfb_start) and keeps a wineserver running,
# so that each Wine start costs little.
wine_start() {
    mkdir -p "$WINEPREFIX"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine: creating prefix $WINEPREFIX"
        "$WINELOADER" wineboot -i >/dev/null 2>&1 </dev/null || true
        "$WINESERVER" -w
    fi
    "$WINESERVER" -p >/dev/null 2>&1 || true
    # A program that crashes ends at once with its backtrace on stderr:
    # Wine's crash dialog would wait on the display for a click that never
    # comes, and the test with it until its time ran out.
    if ! grep -q '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" 2>/dev/null; then
        "$WINELOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            >/dev/null 2>&1 </dev/null || true
    fi
    # Start Wine's own services now, detached from our output: started
    # from inside a test they would hold its output pipe open after it ends.
    # (The desktop process is not among them: it comes and goes with the
    # programs, taking the display of the one that starts it, which is why
    # scripts/wine-run gives every program the display.)
    "$WINELOADER" wineboot >/dev/null 2>&1 </dev/null || true
}

wine_stop() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
}

# Starts a private Xvfb and sets DISPLAY to it.  The X server decides which
# display is free (its lock file settles two runs starting at once) and
# names it through -displayfd only once it accepts connections: a display
# that another run owns, and may stop, is never shared, and nothing starts
# before the server is ready.
xvfb_start() {
    local n file
    file=$(mktemp)
    for n in $(seq 91 139); do
        : > "$file"
        Xvfb :$n -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$file" >/dev/null 2>&1 &
        RAVOLT_XVFB_PID=$!
        for _ in $(seq 600); do
            if [ -s "$file" ]; then
                export DISPLAY=:$(head -n 1 "$file")
                rm -f "$file"
                return 0
            fi
            kill -0 "$RAVOLT_XVFB_PID" 2>/dev/null || break   # the display is taken
            sleep 0.1
        done
        kill "$RAVOLT_XVFB_PID" 2>/dev/null || true
        wait "$RAVOLT_XVFB_PID" 2>/dev/null || true
        RAVOLT_XVFB_PID=
    done
    rm -f "$file"
    echo "xvfb: no free display" >&2
    return 1
}

xvfb_stop() {
    [ -n "$RAVOLT_XVFB_PID" ] && kill "$RAVOLT_XVFB_PID" 2>/dev/null || true
}

# Configures and builds one configuration: win (the product) or native;
# further arguments name the only targets to build (default: all).
build_config() {
    local kind=$1 dir="$RAVOLT_BUILD/$1"
    shift
    local args=(-S "$RAVOLT_TOP" -B "$dir" -G Ninja)
    if [ "$kind" = win ]; then
        args+=(--toolchain "$RAVOLT_TOP/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo)
    else
        args+=(-DCMAKE_BUILD_TYPE=Debug)
    fi
    [ -f "$dir/build.ninja" ] || cmake "${args[@]}" >/dev/null
    cmake --build "$dir" -j "$JOBS" ${1:+--target "$@"}
}
