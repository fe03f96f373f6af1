#!/usr/bin/env bash
# Runs one fuzz target for a bounded time on its seed corpus.
#   run_target.sh BINARY SEED_DIR WORK_DIR SECONDS [libFuzzer options...]
# New inputs go to WORK_DIR/corpus (the seeds in the repository stay as they
# are); a crash, leak, timeout or failed check leaves its input in
# WORK_DIR/artifacts and fails the run.
set -euo pipefail
binary=$1 seeds=$2 work=$3 seconds=$4
shift 4
mkdir -p "$work/corpus" "$work/artifacts"
exec "$binary" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=65536 \
  -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$@" "$work/corpus" "$seeds"
