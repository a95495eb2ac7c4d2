#!/bin/bash
# tools/run.sh [COM1=/dev/ttyUSB0 ...]: build and start Leitungsfuchs under Wine.
#
# Installs missing packages (Debian 12, as root), builds build/win, and runs
# build/win/bin/Leitungsfuchs.exe in a Wine prefix of its own (build/run/prefix,
# kept between runs, so the program's settings stay). Serial ports: the ones
# given as COMn=<device> are mapped to those devices; with none, COM1 is the
# demo device (it echoes what it receives and sends a measurement line once a
# second).
#
# With a display the program runs until its window is closed. Without one, a
# virtual display is started, a screenshot of the window is written to
# build/screenshot.png, and the program is closed again.
#
# Environment: LF_PROGRAM (another .exe to run), LF_JOBS (build jobs, default 2),
# LF_BUILD_ROOT (instead of build/, for a separate set of build trees).
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/tools/packages.sh"
source "$root/tools/harness-lib.sh"

caption="Simple-Leitungsfuchs"
build=${LF_BUILD_ROOT:-$root/build}
tree=$build/win
harness=$build/run
tools=$tree/host-tools/bin
screenshot=$build/screenshot.png
program=${LF_PROGRAM:-$tree/bin/Leitungsfuchs.exe}

usage() {
    echo "usage: tools/run.sh [COM1=/dev/ttyUSB0 ...]   (ports COM1 to COM8)" >&2
    exit 2
}

declare -A real_ports=()
for arg in "$@"; do
    [[ $arg =~ ^COM([1-8])=(.+)$ ]] || usage
    device=${BASH_REMATCH[2]}
    if [ ! -c "$device" ]; then
        echo "error: $device is not a character device" >&2
        exit 2
    fi
    real_ports[${BASH_REMATCH[1]}]=$device
done

lf_ensure_packages "${LF_PACKAGES[@]}" || exit 1

echo "=== building $tree"
if [ ! -f "$tree/Makefile" ]; then
    cmake -S "$root" -B "$tree" -G "Unix Makefiles" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" || exit 1
fi
targets=(lf_run_support)
[ -z "${LF_PROGRAM:-}" ] && targets+=(Leitungsfuchs)
cmake --build "$tree" -j "${LF_JOBS:-2}" --target "${targets[@]}" || exit 1
if [ ! -f "$program" ]; then
    echo "error: $program was not built" >&2
    exit 1
fi

program_pid=
cleanup() {
    trap - EXIT INT TERM
    [ -n "$program_pid" ] && lf_pid_alive "$program_pid" && kill -TERM "$program_pid" 2>/dev/null
    lf_harness_stop "$harness"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Runs lfwin (find, capture or close the window) with its output kept off our
# terminal's descriptors, which Wine's helper processes would otherwise inherit.
lfwin() {
    local log=$harness/lfwin.log status
    "$LF_WINE" "$tree/bin/lfwin.exe" "$@" </dev/null >"$log" 2>&1
    status=$?
    cat "$log"
    return $status
}

mkdir -p "$harness"
lf_harness_stop "$harness"
headless=0
[ -z "${DISPLAY:-}" ] && headless=1
lf_xvfb_start "$harness" || exit 1
lf_wine_env "$harness" "$tools"
lf_prefix_ensure "$harness" || exit 1

rm -f "$harness"/ports/com*
if [ ${#real_ports[@]} -gt 0 ]; then
    for n in "${!real_ports[@]}"; do
        ln -sfn "${real_ports[$n]}" "$harness/ports/com$n"
        echo "COM$n -> ${real_ports[$n]}"
    done
else
    lf_vcomd_start "$harness" "$tools" --demo 1 || exit 1
    echo "COM1 -> demo device ($(readlink "$harness/ports/com1"))"
fi
lf_server_start "$harness" || exit 1

echo "=== starting $program"
"$LF_WINE" "$program" </dev/null >"$harness/program.log" 2>&1 &
program_pid=$!

if [ "$headless" -eq 0 ]; then
    echo "Leitungsfuchs is running; close its window to end."
    wait "$program_pid"
    echo "Leitungsfuchs ended with exit code $?."
    exit 0
fi

if ! lfwin wait "$caption" 60000; then
    echo "error: no window \"$caption\" appeared; see $harness/program.log" >&2
    exit 1
fi
sleep 1 # let the first paint settle
if lfwin shot "$caption" "$(lf_windows_path "$screenshot")"; then
    echo "Screenshot of the window: $screenshot"
else
    echo "error: the screenshot failed" >&2
fi
lfwin close "$caption" 10000 || echo "warning: the window did not close in time" >&2
status=0
for _ in $(seq 1 100); do
    lf_pid_alive "$program_pid" || break
    sleep 0.1
done
if lf_pid_alive "$program_pid"; then
    echo "warning: Leitungsfuchs did not end after its window closed" >&2
    status=1
else
    wait "$program_pid"
    code=$?
    echo "Leitungsfuchs ended with exit code $code."
    [ "$code" -eq 0 ] || status=1
fi
[ -f "$screenshot" ] || status=1
exit $status
