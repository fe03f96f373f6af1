#!/usr/bin/env bash
# The long fuzzing campaign: builds the fuzz preset and runs each target for
# SECONDS (default 600) on its seed corpus, one after the other, with the
# inputs it finds kept in build/fuzz/fuzz/work/<target>/corpus.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# A crash, hang or failed check stops the campaign; its input is in
# build/fuzz/fuzz/work/<target>/artifacts/. The last lines give the runs per target.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true

bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

targets=("$@")
if ((${#targets[@]} == 0)); then
  for d in fuzz/corpus/*/; do targets+=("$(basename "$d")"); done
fi

summary=()
for t in "${targets[@]}"; do
  echo "== $t for ${seconds}s"
  log=build/fuzz/fuzz/work/$t.log
  mkdir -p build/fuzz/fuzz/work
  start=$(date +%s)
  bash fuzz/run_target.sh "build/fuzz/fuzz/$t" "fuzz/corpus/$t" "build/fuzz/fuzz/work/$t" "$seconds" 2>&1 | tee "$log" |
    grep -E '^#[0-9]+ +(pulse|DONE)|fuzz check failed|ERROR' || true
  status=${PIPESTATUS[0]}
  runs=$(grep -Eo 'stat::number_of_executed_units: [0-9]+' "$log" | grep -Eo '[0-9]+$' || echo '?')
  summary+=("$t: $runs runs in $(($(date +%s) - start)) s, exit $status")
  [ "$status" -eq 0 ] || { printf '%s\n' "${summary[@]}"; exit 1; }
done
printf '%s\n' "${summary[@]}"
