# Shared helpers for the benchmark scripts (sourced, not run).

# median_seconds FILE: the median of the "mean"-free per-run times that
# hyperfine exported as JSON.
median_seconds() {
    python3 -c 'import json,sys; print("%.3f" % json.load(open(sys.argv[1]))["results"][0]["median"])' "$1"
}

# peak_kib COMMAND...: the peak resident memory of one run, in KiB.
peak_kib() {
    /usr/bin/time -f '%M' -o /tmp/cadrelle-bench-peak "$@" >/dev/null 2>&1
    cat /tmp/cadrelle-bench-peak
}

# ratio A B: A / B with three decimals.
ratio() {
    python3 -c 'import sys; print("%.3f" % (float(sys.argv[1]) / float(sys.argv[2])))' "$1" "$2"
}
