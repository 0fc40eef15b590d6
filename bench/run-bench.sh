#!/bin/sh
# Runs every benchmark program of a build directory and prints one table: benchmark, time per iteration,
# unit, iterations. Usage: bench/run-bench.sh BUILD_DIR
set -eu
build_dir=${1:-build-bench}
results=$(mktemp)
trap 'rm -f "$results"' EXIT
found=0
for program in "$build_dir"/bin/kivran_bench_*; do
    [ -x "$program" ] || continue
    found=1
    "$program" --benchmark_format=csv 2>/dev/null | grep -v '^name,' >> "$results" || true
done
if [ "$found" = 0 ]; then
    echo "no benchmark programs in $build_dir/bin (configure with -DKIVRAN_BUILD_BENCH=ON)" >&2
    exit 1
fi
printf '%-48s %14s %6s %12s\n' "benchmark" "time" "unit" "iterations"
printf '%-48s %14s %6s %12s\n' "---------" "----" "----" "----------"
# CSV columns: name,iterations,real_time,cpu_time,time_unit,...; error rows carry a message instead (the
# last field), which is printed with them: a benchmark without its baseline (Lua not installed) says why.
awk -F, '{
    name = $1; gsub(/"/, "", name)
    if ($3 == "" || $5 == "") {
        why = $NF; gsub(/"/, "", why)
        printf "%-48s %14s %s\n", name, "skipped", why
        next
    }
    printf "%-48s %14.3f %6s %12s\n", name, $3, $5, $2
}' "$results"
# A benchmark "X_Baseline" does the work of "X" with the C library or a plain loop over the same bytes, or
# (for the script programs) runs the same program in Lua 5.4; the ratio of their real times is the figure to
# compare between runs.
awk -F, '
function ns(value, unit) {
    if (unit == "us") return value * 1e3
    if (unit == "ms") return value * 1e6
    if (unit == "s") return value * 1e9
    return value
}
{
    name = $1; gsub(/"/, "", name)
    if ($3 == "" || $5 == "") next
    time[name] = ns($3, $5)
    order[++count] = name
}
END {
    header = 0
    for (i = 1; i <= count; ++i) {
        name = order[i]
        if (name !~ /_Baseline$/) continue
        measured = substr(name, 1, length(name) - length("_Baseline"))
        if (!(measured in time) || time[name] == 0) continue
        if (!header) { printf "\n%-48s %14s\n", "ratio to baseline (Script*: Lua 5.4)", "times"; header = 1 }
        printf "%-48s %14.2f\n", measured, time[measured] / time[name]
    }
}' "$results"
