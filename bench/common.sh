# shellcheck shell=bash disable=SC2034,SC2154 # root and build come from the caller; cli, out, conninfo go to it
# What the command benchmarks (bench/*/run.sh) share; sourced once `root`
# (the source tree) and `build` (the build folder) are set.

# bench_cluster [TOOL...]: checks that the built front end ($cli), each
# PostgreSQL client TOOL and /usr/bin/time are there, then starts a private
# cluster ($conninfo) and makes a scratch folder ($out); both go when the
# script exits.
bench_cluster() {
  cli="$build/launcher/dizezida-postgresql"
  [ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 1; }
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (Debian package postgresql-client)" >&2; exit 1; }
  done
  [ -x /usr/bin/time ] || { echo "/usr/bin/time is missing (Debian package time)" >&2; exit 1; }
  state=$(mktemp -d /tmp/dizezida-bench.XXXXXX)
  out=$(mktemp -d /tmp/dizezida-bench-out.XXXXXX)
  trap 'bash "$root/scripts/pg-cluster.sh" stop "$state"; rm -rf "$state" "$out"' EXIT
  bash "$root/scripts/pg-cluster.sh" start "$state"
  conninfo=$(cat "$state/conninfo")
}

# bench_median SETUP COMMAND...: the median wall seconds and the peak
# kilobytes of three runs of COMMAND, each after the shell command SETUP
# (":" for none; not timed). COMMAND writes to $out/stdout and $out/stderr;
# a run that fails stops the benchmark with its stderr.
bench_median() {
  local setup=$1 runs=() peak=0 seconds kilobytes
  shift
  for _ in 1 2 3; do
    eval "$setup"
    /usr/bin/time -f "%e %M" -o "$out/time" "$@" >"$out/stdout" 2>"$out/stderr" ||
      { echo "failed: $*" >&2; cat "$out/stderr" >&2; exit 1; }
    read -r seconds kilobytes <"$out/time"
    runs+=("$seconds")
    [ "$kilobytes" -gt "$peak" ] && peak=$kilobytes
  done
  printf '%s %s\n' "$(printf '%s\n' "${runs[@]}" | sort -n | sed -n 2p)" "$peak"
}

# The table of results of a benchmark over $rows rows: bench_header, then
# bench_row NAME SECONDS KILOBYTES for each command.
bench_header() { printf '%-40s %10s %12s %12s\n' command seconds rows/s peak; }
bench_row() { printf '%-40s %10s %12.0f %9s KB\n' "$1" "$2" "$(echo "$rows / $2" | bc -l)" "$3"; }

# bench_rounds ROUNDS NAME SETUP COMMAND [NAME SETUP COMMAND]...: runs every
# COMMAND (a shell command line) once a round, one after the other, each
# after its SETUP (a shell command, ":" for none; not timed) and followed by
# $bench_after when set (not timed; when it fails, the benchmark stops).
# Commands take turns so that a machine whose speed drifts slows each alike.
# Prints, for each command in order, on a line: the median wall seconds, the
# peak kilobytes, the CPU seconds (user + system) of the median run, NAME.
# A run that fails stops the benchmark with its stderr.
bench_rounds() {
  local rounds=$1 i r
  shift
  local names=() setups=() commands=()
  while [ $# -gt 0 ]; do
    names+=("$1") setups+=("$2") commands+=("$3")
    shift 3
  done
  for ((r = 0; r < rounds; r++)); do
    for i in "${!commands[@]}"; do
      eval "${setups[$i]}"
      /usr/bin/time -f "%e %M %U %S" -o "$out/time" bash -c "${commands[$i]}" >"$out/stdout" 2>"$out/stderr" ||
        { echo "failed: ${names[$i]}: ${commands[$i]}" >&2; cat "$out/stderr" >&2; exit 1; }
      [ -z "${bench_after:-}" ] || eval "$bench_after" || { echo "after: ${names[$i]}" >&2; exit 1; }
      awk '{ printf "%s %s %.2f\n", $1, $2, $3 + $4 }' "$out/time" >>"$out/round.$i"
    done
  done
  for i in "${!commands[@]}"; do
    printf '%s %s %s %s\n' "$(sort -n "$out/round.$i" | sed -n "$(((rounds + 1) / 2))p" | cut -d' ' -f1)" \
      "$(sort -n -k2 "$out/round.$i" | tail -1 | cut -d' ' -f2)" \
      "$(sort -n "$out/round.$i" | sed -n "$(((rounds + 1) / 2))p" | cut -d' ' -f3)" "${names[$i]}"
    rm "$out/round.$i"
  done
}
