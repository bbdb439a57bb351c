#!/usr/bin/env bash
# Runs the image fuzzer for a bounded time from a fresh seed corpus.
# Usage: run_fuzz.sh FUZZER SEED_MAKER WORK_DIR SECONDS
set -euo pipefail
fuzzer=$1 seed_maker=$2 work=$3 seconds=$4
rm -rf "$work"
mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts"
"$seed_maker" "$work/seeds"
"$fuzzer" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$work/corpus" "$work/seeds" 2>&1 | tail -n 25
