# Shared by the benchmarks: tool checks, timed runs, medians and ratios.
# Source it, set `bench` (the benchmark's name, for messages) and, before
# measuring, `work` (the run's own folder).

# bench_require HINT TOOL...: ends the benchmark with 2 when a tool is
# missing, saying what to install (HINT).
bench_require() {
    local hint=$1 tool
    shift
    for tool in "$@"; do
        command -v "$tool" >/dev/null || {
            echo "$bench: $tool not found ($hint)" >&2
            exit 2
        }
    done
}

# bench_measure NAME COMMAND...: one run after a sync, timed by
# /usr/bin/time; appends "seconds peak_kib cpu_seconds system_seconds" to
# $work/NAME. Standard input is the caller's; the output goes to
# $work/last.out, shown when the run fails, which ends the benchmark.
bench_measure() {
    local name=$1
    shift
    sync
    if ! /usr/bin/time -f "%e %M %U %S" -o "$work/last.time" "$@" >"$work/last.out" 2>&1; then
        echo "$bench: $name failed:" >&2
        cat "$work/last.out" >&2
        exit 1
    fi
    awk '{printf "%s %s %.2f %s\n", $1, $2, $3 + $4, $4}' "$work/last.time" >>"$work/$name"
}

# bench_median_of: the median of the numbers on standard input, one a line
# (of an even count, the mean of the middle two).
bench_median_of() {
    grep . | sort -g | awk '{v[NR] = $1}
        END {if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}

# bench_median NAME [COLUMN]: the median of a column (default 1: seconds) of
# $work/NAME.
bench_median() { awk -v c="${2:-1}" '{print $c}' "$work/$1" | bench_median_of; }

# bench_peak_mib NAME: the largest peak memory of $work/NAME, in MiB.
bench_peak_mib() { awk '{print $2}' "$work/$1" | sort -n | tail -1 | awk '{printf "%.1f", $1 / 1024}'; }

# bench_ratio A B: A / B with two decimals.
bench_ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

# bench_load: the load average, to read beside the figures.
bench_load() {
    echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine slows every tool)"
}
