#!/usr/bin/env bash
# Runs every benchmark program of a benchmark build from that build's folder
# (where the demo data lies), each to its end, then fails when any of them
# failed: a program that exits with an error, or a benchmark inside one that
# stopped with an error (Google Benchmark reports those, but still exits 0).
# Usage: bench/run_benchmarks.sh <benchmark build folder> [benchmark flags...]
set -uo pipefail
dir=$(cd "$1" && pwd)
shift
results=$dir/bench-results
mkdir -p "$results"
failed=()
ran=0
for b in "$dir"/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  name=$(basename "$b")
  out=$results/$name.json
  rm -f "$out"
  echo "== $name"
  (cd "$dir" && "$b" --benchmark_out="$out" --benchmark_out_format=json "$@")
  status=$?
  ran=$((ran + 1))
  if [ "$status" -ne 0 ]; then
    failed+=("$name (exit $status)")
  elif [ ! -s "$out" ]; then
    failed+=("$name (no results written)")
  elif grep -q '"error_occurred": *true' "$out"; then
    errors=$(grep -o '"error_message": *"[^"]*"' "$out" | sed 's/"error_message": *//' | sort -u | paste -sd';' -)
    failed+=("$name (a benchmark stopped with an error: $errors)")
  fi
done
echo
if [ "$ran" -eq 0 ]; then
  echo "== No benchmark program in $dir/bench"
  exit 1
fi
if [ ${#failed[@]} -gt 0 ]; then
  echo "== $((ran - ${#failed[@]})) of $ran benchmark programs ran clean; failed:"
  printf '   %s\n' "${failed[@]}"
  exit 1
fi
echo "== All $ran benchmark programs ran clean"
