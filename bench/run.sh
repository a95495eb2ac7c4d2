#!/bin/bash
# bench/run.sh [windows build tree] [--quick]
#
# Builds the benchmarks in a Windows build tree (default build/win, which is
# configured when missing), starts that tree's Wine harness (Xvfb, wine
# server, vcomd), runs every benchmark under Wine, stops the harness again and
# prints one table: each figure of the program beside its baseline measured in
# the same run on the same vcomd ports, the ratio, and the spread (min..max
# over the rounds, n = number of measurements). The raw lines of each
# benchmark are kept in <tree>/bench/results/.
#
#   bench/run.sh                    # build/win, full rounds (about 6 minutes)
#   bench/run.sh build/h-x-win --quick
#   bench/run.sh build/h-x-win --table-only   # the table of the last run again
#
# Not part of ctest: figures depend on the machine and its load (the load
# average is printed with the table).
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tree=$root/build/win
quick=0
table_only=0
for arg in "$@"; do
    case $arg in
    --quick) quick=1 ;;
    --table-only) table_only=1 ;;
    *) tree=$arg ;;
    esac
done
mkdir -p "$tree"
tree=$(cd "$tree" && pwd)
results=$tree/bench/results
jobs=${LF_JOBS:-2}
status=0

if [ "$table_only" = 0 ]; then

if [ ! -f "$tree/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null ||
        { echo "run.sh: configuring $tree failed" >&2; exit 1; }
fi
targets=(bench_log_receive bench_program bench_minimal_window Leitungsfuchs lf_host_tools)
grep -q serial_bench "$root/bench/CMakeLists.txt" && targets+=(serial_bench)
echo "run.sh: building ${targets[*]} in $tree" >&2
cmake --build "$tree" --target "${targets[@]}" -j "$jobs" >"$tree/bench-build.log" 2>&1 ||
    { echo "run.sh: build failed, see $tree/bench-build.log" >&2; exit 1; }

if [ "$quick" = 1 ]; then
    log_args=(--rounds 2 --samples 40)
    program_args=(--starts 3 --idle-seconds 5 --idle-rounds 2 --bursts 3)
    serial_args=(--bytes 262144 --rounds 2 --samples 40)
else
    log_args=(--rounds 5 --samples 200)
    program_args=(--starts 10 --idle-seconds 10 --idle-rounds 3 --bursts 10)
    serial_args=(--rounds 3 --samples 200)
fi

trap '"$root/tools/harness" down "$tree" >/dev/null 2>&1' EXIT
"$root/tools/harness" up "$tree" >/dev/null || { echo "run.sh: the harness did not come up" >&2; exit 1; }
mkdir -p "$results"
cut -d' ' -f1-3 /proc/loadavg >"$results/load-before.txt"
run() {
    local name=$1
    shift
    echo "run.sh: running $name" >&2
    if ! "$root/tools/wine-exec" "$tree/bench/$name.exe" "$@" >"$results/$name.txt" 2>"$results/$name.err"; then
        echo "run.sh: $name failed:" >&2
        tail -n 5 "$results/$name.err" >&2
        status=1
    fi
}
run bench_log_receive "${log_args[@]}"
run bench_program "${program_args[@]}"
if [ -f "$tree/bench/serial_bench.exe" ]; then
    run serial_bench "${serial_args[@]}"
fi
cut -d' ' -f1-3 /proc/loadavg >"$results/load-after.txt"
"$root/tools/harness" down "$tree" >/dev/null 2>&1
trap - EXIT
cat "$results"/bench_log_receive.txt "$results"/bench_program.txt 2>/dev/null | grep '^R ' >"$results/figures.txt"
fi
[ -s "$results/figures.txt" ] || { echo "run.sh: no figures in $results" >&2; exit 1; }
load_before=$(cat "$results/load-before.txt" 2>/dev/null)
load_after=$(cat "$results/load-after.txt" 2>/dev/null)

# The table: program figure, baseline, ratio (program / baseline), spreads.
awk -v load_before="$load_before" -v load_after="$load_after" '
function num(v) {
    if (v == "") return "-"
    a = v < 0 ? -v : v
    if (a >= 100000) return sprintf("%.0f", v)
    if (a >= 100) return sprintf("%.0f", v)
    if (a >= 10) return sprintf("%.1f", v)
    if (a >= 1) return sprintf("%.2f", v)
    return sprintf("%.3g", v)
}
function cell(key, what) {
    if (!(key in med)) return "-"
    if (what == "p99") return num(p99[key])
    return num(med[key])
}
function spread(key) { return (key in med) ? num(lo[key]) ".." num(hi[key]) " n=" cnt[key] : "" }
function row(label, key, base, unit, what) {
    v = cell(key, what); b = base == "" ? "" : cell(base, what)
    r = ""
    if (base != "" && (key in med) && (base in med)) {
        x = what == "p99" ? p99[key] : med[key]; y = what == "p99" ? p99[base] : med[base]
        r = y != 0 ? sprintf("%.3g", x / y) : "-"
    }
    printf "%-54s %12s %12s %9s  %-6s %s | %s\n", label, v, (base == "" ? "" : b), r, unit, spread(key), (base == "" ? "" : spread(base))
}
function head(title) { printf "\n%s\n", title; printf "%-54s %12s %12s %9s  %-6s %s\n", "", "program", "baseline", "ratio", "unit", "spread program | baseline" }
{ med[$2] = $3; lo[$2] = $4; hi[$2] = $5; p99[$2] = $6; cnt[$2] = $7 }
END {
    printf "Leitungsfuchs benchmarks under Wine (load average before %s, after %s)\n", load_before, load_after
    head("Receive road, device write -> text in the log (real main window in process; baseline: bare reader, same port)")
    row("ASCII, 60000-byte bursts", "log.program.ascii.bytes_per_s", "log.bare.ascii_burst.bytes_per_s", "B/s")
    row("HEX, 15000-byte bursts (63750 chars)", "log.program.hex.bytes_per_s", "log.bare.hex_burst.bytes_per_s", "B/s")
    row("one byte, median", "log.program.byte.latency_ms", "log.bare.latency_ms", "ms")
    row("one byte, p99", "log.program.byte.latency_ms", "log.bare.latency_ms", "ms", "p99")
    row("one byte to the end of the next paint, median", "log.program.byte.painted_latency_ms", "log.bare.latency_ms", "ms")
    head("Where the time of a burst goes (program; per burst unless said; medians of the bursts)")
    row("ASCII: blocks of at most 80 bytes", "log.program.ascii.blocks", "", "")
    row("ASCII: UserEvent handler, per block (median)", "log.program.ascii.handler_us_per_block", "", "us")
    row("ASCII: UserEvent handlers in all", "log.program.ascii.handler_ms_per_burst", "", "ms")
    row("ASCII: handlers that appended to the log", "log.program.ascii.appending_handlers_per_burst", "", "")
    row("ASCII: time in those handlers", "log.program.ascii.appending_handler_ms_per_burst", "", "ms")
    row("ASCII: one such handler", "log.program.ascii.appending_handler_us", "", "us")
    row("ASCII: log appends by the flush timer", "log.program.ascii.timer_flushes_per_burst", "", "")
    row("ASCII: time in those appends", "log.program.ascii.timer_ms_per_burst", "", "ms")
    row("ASCII: paints of the log", "log.program.ascii.log_paints_per_burst", "", "")
    row("ASCII: time in paints", "log.program.ascii.paint_ms_per_burst", "", "ms")
    row("ASCII: other messages", "log.program.ascii.other_ms_per_burst", "", "ms")
    row("ASCII: UI thread waiting for blocks", "log.program.ascii.wait_ms_per_burst", "", "ms")
    row("ASCII: UI thread waiting, per block", "log.program.ascii.wait_us_per_block", "", "us")
    row("HEX: blocks", "log.program.hex.blocks", "", "")
    row("HEX: UserEvent handlers in all", "log.program.hex.handler_ms_per_burst", "", "ms")
    row("HEX: handlers that appended to the log", "log.program.hex.appending_handlers_per_burst", "", "")
    row("HEX: time in those handlers", "log.program.hex.appending_handler_ms_per_burst", "", "ms")
    row("HEX: log appends by the flush timer", "log.program.hex.timer_flushes_per_burst", "", "")
    row("HEX: time in those appends", "log.program.hex.timer_ms_per_burst", "", "ms")
    row("HEX: time in paints", "log.program.hex.paint_ms_per_burst", "", "ms")
    row("HEX: UI thread waiting, per block", "log.program.hex.wait_us_per_block", "", "us")
    head("The steps on their own (log appends of one block of text a call while the log fills)")
    row("formatter alone, ASCII", "step.formatter.ascii_us_per_block", "", "us")
    row("formatter alone, HEX", "step.formatter.hex_us_per_block", "", "us")
    row("log append: EM_REPLACESEL, first tenth", "step.ascii.em_replacesel.first10", "", "us")
    row("log append: EM_REPLACESEL, last tenth", "step.ascii.em_replacesel.last10", "", "us")
    row("log append: WM_GETTEXTLENGTH (ANSI), first tenth", "step.ascii.gettextlength_a.first10", "", "us")
    row("log append: WM_GETTEXTLENGTH (ANSI), last tenth", "step.ascii.gettextlength_a.last10", "", "us")
    row("WM_GETTEXTLENGTH (wide), last tenth", "step.ascii.gettextlength_w.last10", "", "us")
    row("log append: EM_SETSEL, last tenth", "step.ascii.em_setsel.last10", "", "us")
    row("log append: EM_SCROLLCARET, last tenth", "step.ascii.em_scrollcaret.last10", "", "us")
    row("WTextBox::AppendText whole, first tenth", "step.ascii.appendtext.first10", "", "us")
    row("WTextBox::AppendText whole, last tenth", "step.ascii.appendtext.last10", "", "us")
    row("AppendText into a hidden text box, first tenth", "step.ascii.appendtext_hidden.first10", "", "us")
    row("AppendText into a hidden text box, last tenth", "step.ascii.appendtext_hidden.last10", "", "us")
    row("append of 1 line (80 chars) to the log", "step.shape.lines1_per_call", "", "us")
    row("append of 10 lines at once", "step.shape.lines10_per_call", "", "us")
    row("append of 100 lines at once", "step.shape.lines100_per_call", "", "us")
    row("append of 1 line, visible box without scroll bar", "step.shape.no_scroll_bar_per_call", "", "us")
    row("1-char append, hidden, empty: AppendText vs ANSI end", "step.end_query.appendtext.empty", "step.end_query.ansi_length.empty", "us")
    row("1-char append, hidden, 60000 chars: the same", "step.end_query.appendtext.full", "step.end_query.ansi_length.full", "us")
    head("The program as a process (Leitungsfuchs.exe driven from outside)")
    row("start-up to the visible window", "exe.program.start_visible_ms", "exe.minimal.start_visible_ms", "ms")
    row("start-up until the window answers", "exe.program.start_answers_ms", "exe.minimal.start_answers_ms", "ms")
    row("idle CPU, connected, no data (baseline: bare)", "exe.program.connected.idle_cpu_percent", "exe.bare.idle_cpu_percent", "%")
    row("wine server CPU meanwhile", "exe.program.connected.idle_wineserver_cpu_percent", "exe.bare.idle_wineserver_cpu_percent", "%")
    row("idle CPU, not connected", "exe.program.disconnected.idle_cpu_percent", "", "%")
    row("stream into the log, ASCII (polled from outside)", "exe.program.stream.ascii_bytes_per_s", "", "B/s")
    row("stream into the log, HEX (polled from outside)", "exe.program.stream.hex_bytes_per_s", "", "B/s")
    row("working set after start (baseline: minimal)", "exe.program.after_start.working_set_kb", "exe.minimal.start_working_set_kb", "KB")
    row("peak working set after streaming", "exe.program.after_streaming.peak_working_set_kb", "exe.minimal.start_peak_working_set_kb", "KB")
    row("peak pagefile usage after streaming", "exe.program.after_streaming.peak_pagefile_kb", "exe.minimal.start_peak_pagefile_kb", "KB")
    row("handles after start", "exe.program.handles_after_start", "", "")
    row("handles after streaming and disconnect", "exe.program.handles_after_disconnect", "", "")
    row("threads while connected", "exe.program.threads_streaming_connected", "", "")
    row("exit code after the close", "exe.program.exit_code", "", "")
}' "$results/figures.txt"

if [ -s "$results/serial_bench.txt" ]; then
    printf '\nSerial link alone (serial_bench: Rs232Class and a window without the log, beside bare readers)\n'
    cat "$results/serial_bench.txt"
fi
echo
echo "raw figures: $results/figures.txt"
exit $status
