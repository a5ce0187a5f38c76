#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a while, each from its corpus,
# its seeds (<build>/seeds/<target>) and its dictionary (<target>.dict beside
# the program), then prints each target's coverage: edges reached once the
# seeds were read ("seeded") and at the end ("final").
# Usage: fuzz/run_fuzzers.sh <fuzz build folder> <seconds per target>
set -uo pipefail
# Absolute, because some targets change their working folder at start-up.
dir=$(cd "$1" && pwd)
seconds=$2
report=()
failed=()
for f in "$dir"/fuzz/fuzz_*; do
  [ -f "$f" ] && [ -x "$f" ] || continue
  # Only libFuzzer programs (seed writers may share the prefix).
  grep -qa LLVMFuzzerTestOneInput "$f" || continue
  name=$(basename "$f")
  corpus=$dir/corpus/$name
  seeds=$dir/seeds/$name
  dict=$dir/fuzz/$name.dict
  mkdir -p "$corpus"
  # The target's own prints to stderr are dropped (libFuzzer keeps its own
  # and the sanitizers' reports on a copy of stderr).
  args=(-max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 -close_fd_mask=3
        -artifact_prefix="$dir/corpus/$name-")
  [ -f "$dict" ] && args+=(-dict="$dict")
  folders=("$corpus")
  count=0
  if [ -d "$seeds" ]; then
    folders+=("$seeds")
    count=$(find "$seeds" -type f | wc -l)
  fi
  echo "== $name ($seconds s, $count seeds$([ -f "$dict" ] && echo ", dictionary"))"
  log=$dir/corpus/$name.log
  "$f" "${args[@]}" "${folders[@]}" 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || failed+=("$name")
  seeded=$(grep -oE 'INITED cov: [0-9]+' "$log" | tail -1 | grep -oE '[0-9]+$')
  final=$(grep -oE '^#[0-9]+.*cov: [0-9]+' "$log" | tail -1 | grep -oE 'cov: [0-9]+' | grep -oE '[0-9]+$')
  report+=("$(printf '%-36s %6s seeds %8s seeded %8s final' "$name" "$count" "${seeded:--}" "${final:--}")")
done
echo
echo "== Coverage (edges) per fuzz target"
printf '%s\n' "${report[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "== Failed: ${failed[*]} (inputs in $dir/corpus/<target>-*)"
  exit 1
fi
