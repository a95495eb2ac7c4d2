# Shared by wine-exec, harness, run.sh and test.sh (sourced, bash).
#
# A "harness directory" holds everything one Wine setup needs:
#   prefix/          the throwaway Wine prefix (never ~/.wine)
#   prefix.ready     written once the prefix is complete
#   ports/comN       links to the device behind COMn (a vcomd pty, or a real port);
#                    the prefix maps COM1..COM8 to these links once and for all
#   modem/           DTR/RTS and framing per pty, published by libmodemline.so
#   vcomd.port       TCP port of the virtual device daemon, while it runs
#   display, Xauthority   the Xvfb display started when there was none
#   *.pid, *.log     processes started by the harness and their output
# The test harness is <build tree>/wine; the run command uses build/run.

LF_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LF_WINE=${LF_WINE:-/usr/lib/wine/wine64}
LF_WINESERVER=${LF_WINESERVER:-/usr/lib/wine/wineserver64}

lf_log() { printf '%s\n' "$*" >&2; }

# The CMake build tree that contains a file: the nearest directory upwards
# holding CMakeCache.txt.
lf_build_tree_of() {
    local dir
    dir=$(cd "$(dirname "$1")" 2>/dev/null && pwd) || return 1
    while [ "$dir" != / ]; do
        [ -f "$dir/CMakeCache.txt" ] && { printf '%s\n' "$dir"; return 0; }
        dir=$(dirname "$dir")
    done
    return 1
}

# Waits up to $2 seconds for a file to exist and be non-empty.
lf_wait_for_file() {
    local file=$1 tenths=$(($2 * 10))
    while [ "$tenths" -gt 0 ]; do
        [ -s "$file" ] && return 0
        sleep 0.1
        tenths=$((tenths - 1))
    done
    [ -s "$file" ]
}

# Alive and not a zombie (this machine's init reaps orphans only now and then).
lf_pid_alive() {
    local stat
    [ -n "$1" ] && kill -0 "$1" 2>/dev/null || return 1
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [ "${stat:0:1}" != Z ]
}

# Stops the process whose pid is in a file: SIGTERM, up to $2 seconds, then SIGKILL.
lf_stop_pidfile() {
    local file=$1 grace=${2:-5} pid tenths
    [ -f "$file" ] || return 0
    pid=$(cat "$file")
    if lf_pid_alive "$pid"; then
        kill -TERM "$pid" 2>/dev/null
        tenths=$((grace * 10))
        while lf_pid_alive "$pid" && [ "$tenths" -gt 0 ]; do
            sleep 0.1
            tenths=$((tenths - 1))
        done
        if lf_pid_alive "$pid"; then
            lf_log "harness: pid $pid ($(basename "$file" .pid)) did not stop, killing it"
            kill -KILL "$pid" 2>/dev/null
        fi
    fi
    rm -f "$file"
}

# The harness directory as a Windows path (drive Z: is the Unix root).
lf_windows_path() {
    local path=$1
    printf 'Z:%s\n' "${path//\//\\}"
}

# The environment of every Wine process of harness $1, host tools in $2.
lf_wine_env() {
    local harness=$1 tools=$2
    export WINEPREFIX=$harness/prefix
    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export WINELOADER=$LF_WINE
    export WINESERVER=$LF_WINESERVER
    export LF_MODEMLINE_DIR=$harness/modem
    export LF_HARNESS_DIR
    LF_HARNESS_DIR=$(lf_windows_path "$harness")
    if [ -f "$tools/libmodemline.so" ]; then
        export LD_PRELOAD="$tools/libmodemline.so${LD_PRELOAD:+ $LD_PRELOAD}"
    fi
    if [ -z "${DISPLAY:-}" ] && [ -s "$harness/display" ]; then
        export DISPLAY XAUTHORITY
        DISPLAY=$(cat "$harness/display")
        XAUTHORITY=$harness/Xauthority
    fi
    if [ -s "$harness/vcomd.port" ]; then
        export LF_VCOMD_PORT
        LF_VCOMD_PORT=$(cat "$harness/vcomd.port")
    fi
    mkdir -p "$harness/modem" "$harness/ports"
}

# Registry of the prefix: frames drawn by Wine (no window manager on Xvfb),
# COM1..COM8 mapped to the harness's port links, and no crash dialog (a
# crashing program prints its backtrace and ends instead of waiting for a
# click that never comes), and Courier New (the log and its column ruler)
# drawn with a monospaced font the system has, so the columns line up.
# Bump LF_PREFIX_CONFIG when this changes: existing prefixes then get it on
# their next use.
LF_PREFIX_CONFIG=3
lf_prefix_registry() {
    local harness=$1 n path
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"Courier New"="DejaVu Sans Mono"\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
    for n in 1 2 3 4 5 6 7 8; do
        path=$harness/ports/com$n
        path=${path//\\/\\\\}
        printf '"COM%d"="%s"\r\n' "$n" "${path//\"/\\\"}"
    done
}

lf_prefix_current() {
    [ "$(sed -n 2p "$1/prefix.ready" 2>/dev/null)" = "config $LF_PREFIX_CONFIG" ]
}

lf_mark_prefix_ready() {
    printf '%s\nconfig %s\n' "$1" "$LF_PREFIX_CONFIG" >"$1/prefix.ready"
}

lf_import_prefix_registry() {
    local harness=$1
    lf_prefix_registry "$harness" >"$harness/prefix.reg"
    "$LF_WINE" regedit /S "$(lf_windows_path "$harness/prefix.reg")" </dev/null >>"$harness/wineboot.log" 2>&1
}

# Creates the prefix of harness $1 once, or brings an older one up to date
# (the caller has set lf_wine_env). Serialised with flock; the lock fd is
# closed for everything Wine starts.
lf_prefix_ensure() {
    local harness=$1
    lf_prefix_current "$harness" && return 0
    mkdir -p "$harness"
    (
        flock -w 600 9 || { lf_log "harness: timed out waiting for the prefix lock"; exit 1; }
        lf_prefix_current "$harness" && exit 0
        if [ -f "$harness/prefix.ready" ]; then
            lf_import_prefix_registry "$harness" 9>&- && lf_mark_prefix_ready "$harness"
        else
            lf_create_prefix "$harness" 9>&-
        fi
    ) 9>"$harness/prefix.lock"
}

lf_create_prefix() {
    local harness=$1 prefix=$1/prefix start=$SECONDS
    lf_log "harness: creating Wine prefix $prefix"
    # A half-made prefix from an interrupted attempt: its server must be gone first.
    if [ -d "$prefix" ]; then
        "$LF_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
        "$LF_WINESERVER" -w </dev/null >/dev/null 2>&1 || true
        rm -rf "$prefix"
    fi
    mkdir -p "$harness/ports" "$harness/modem"
    "$LF_WINE" wineboot -i </dev/null >"$harness/wineboot.log" 2>&1 || { lf_log "harness: wineboot failed, see $harness/wineboot.log"; return 1; }
    # Debian's Wine does not look at fonts-wine; without these, caption buttons show as letters.
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
    lf_import_prefix_registry "$harness"
    # The registry reaches the disk when the server ends; the port mapping is
    # read by the next server's device manager.
    "$LF_WINESERVER" -w </dev/null >/dev/null 2>&1
    if ! grep -q 'Wine\\\\Ports' "$prefix/system.reg" 2>/dev/null; then
        lf_log "harness: the port mapping did not reach $prefix/system.reg"
        return 1
    fi
    lf_mark_prefix_ready "$harness"
    lf_log "harness: prefix ready in $((SECONDS - start)) s"
}

# Starts Xvfb when there is no display; records it in the harness directory.
lf_xvfb_start() {
    local harness=$1
    rm -f "$harness/display" "$harness/xvfb.number"
    [ -n "${DISPLAY:-}" ] && return 0
    # A cookie for every display number (family "wild", empty number), since
    # Xvfb picks the number itself.
    : >"$harness/Xauthority"
    printf 'ffff 0000  0000  0012 4d49542d4d414749432d434f4f4b49452d31 0010 %s\n' "$(mcookie)" |
        xauth -q -f "$harness/Xauthority" nmerge - || return 1
    setsid Xvfb -displayfd 3 -auth "$harness/Xauthority" -nolisten tcp -screen 0 1280x1024x24 \
        </dev/null >"$harness/xvfb.log" 2>&1 3>"$harness/xvfb.number" 9>&- &
    echo $! >"$harness/xvfb.pid"
    if ! lf_wait_for_file "$harness/xvfb.number" 15; then
        lf_log "harness: Xvfb did not start, see $harness/xvfb.log"
        return 1
    fi
    printf ':%s\n' "$(tr -dc 0-9 <"$harness/xvfb.number")" >"$harness/display"
    export DISPLAY XAUTHORITY
    DISPLAY=$(cat "$harness/display")
    XAUTHORITY=$harness/Xauthority
}

# Keeps a wine server alive for the whole session (the caller has set lf_wine_env).
lf_server_start() {
    local harness=$1 pid dir tenths=100
    # A server started by a plain Wine run (a registry import, a test run
    # without the harness) lingers a few seconds; ours could not start beside it.
    timeout 30 "$LF_WINESERVER" -w </dev/null >/dev/null 2>&1
    setsid "$LF_WINESERVER" -f -p </dev/null >/dev/null 2>&1 9>&- &
    pid=$!
    echo "$pid" >"$harness/wineserver.pid"
    # Ready once it works in its socket directory (its cwd) and listens there.
    while [ "$tenths" -gt 0 ] && lf_pid_alive "$pid"; do
        dir=$(readlink "/proc/$pid/cwd" 2>/dev/null)
        case $dir in */server-*) [ -S "$dir/socket" ] && break ;; esac
        sleep 0.1
        tenths=$((tenths - 1))
    done
    case $dir in */server-*) [ -S "$dir/socket" ] ;; *) false ;; esac ||
        { lf_log "harness: the wine server did not start"; return 1; }
    # Let the server's first session start its services now, detached from any
    # output of ours.
    "$LF_WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&-
}

lf_server_stop() {
    local harness=$1
    if [ -d "$harness/prefix" ]; then
        WINEPREFIX=$harness/prefix timeout 20 "$LF_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    fi
    lf_stop_pidfile "$harness/wineserver.pid" 10
}

# Starts vcomd for harness $1 from host tools $2; extra arguments go to vcomd.
lf_vcomd_start() {
    local harness=$1 tools=$2
    shift 2
    if [ ! -x "$tools/vcomd" ]; then
        lf_log "harness: $tools/vcomd is missing (build the lf_host_tools target)"
        return 1
    fi
    rm -f "$harness/vcomd.port"
    mkdir -p "$harness"
    # Not preloaded: its own hold on the slaves must not count as an open by the program.
    LD_PRELOAD= setsid "$tools/vcomd" --dir "$harness" "$@" </dev/null >"$harness/vcomd.log" 2>&1 9>&- &
    echo $! >"$harness/vcomd.pid"
    if ! lf_wait_for_file "$harness/vcomd.port" 10; then
        lf_log "harness: vcomd did not start, see $harness/vcomd.log"
        return 1
    fi
    export LF_VCOMD_PORT
    LF_VCOMD_PORT=$(cat "$harness/vcomd.port")
}

# Stops everything the harness started; safe to call when nothing runs.
lf_harness_stop() {
    local harness=$1 stray
    lf_server_stop "$harness"
    lf_stop_pidfile "$harness/vcomd.pid" 5
    lf_stop_pidfile "$harness/xvfb.pid" 5
    rm -f "$harness/display" "$harness/xvfb.number" "$harness/vcomd.port"
    # Wine processes of this prefix that lost their server (seen once: its
    # services kept waiting on their dead server) would live on for ever.
    stray=$(lf_harness_leftovers "$harness")
    if [ -n "$stray" ]; then
        lf_log "harness: ending stray processes of $harness:" $stray
        # shellcheck disable=SC2086
        kill -KILL $stray 2>/dev/null
    fi
}

# Pids of processes of harness $1 still alive: anything Wine runs in its prefix,
# and its Xvfb. (The patterns are spelled so that grep does not find itself.)
lf_harness_leftovers() {
    local harness=$1 file pid
    {
        grep -lsaF "WINEPREFIX=$harness/prefix" /proc/[0-9]*/environ
        grep -lsaE "${harness//./\\.}/Xauthorit[y]" /proc/[0-9]*/cmdline
    } | while read -r file; do
        pid=${file#/proc/}
        pid=${pid%%/*}
        [ "$pid" != "$$" ] && [ "$pid" != "$BASHPID" ] && lf_pid_alive "$pid" && echo "$pid"
    done | sort -un
}
