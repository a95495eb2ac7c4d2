#!/bin/bash
# bench/run-serial.sh [windows build tree] [serial_bench options]
#
# Builds serial_bench in the Windows build tree (default build/win), starts
# the Wine harness of that tree, runs the benchmark under Wine and stops the
# harness again. Options go to serial_bench: --port N (COMn, default 4),
# --bytes N (default 1048576), --rounds N (default 3), --samples N (default 200).
#   bench/run-serial.sh build/win --samples 500
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tree=$root/build/win
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then
    tree=$1
    shift
fi
cmake --build "$tree" --target serial_bench lf_host_tools -j 2 >/dev/null || { echo "building serial_bench failed" >&2; exit 1; }
"$root/tools/harness" up "$tree" >/dev/null || exit 1
"$root/tools/wine-exec" "$tree/bench/serial_bench.exe" "$@"
status=$?
"$root/tools/harness" down "$tree" >/dev/null
exit $status
