#!/bin/sh
# Runs one libFuzzer target on its seeds for PIVANE_FUZZ_SECONDS (default 5); new inputs go to
# the scratch folder. An input that takes over 25 s, or 2 GB, counts as a finding.
#   run_fuzzer.sh TARGET SCRATCH SEEDS
exec "$1" -max_total_time="${PIVANE_FUZZ_SECONDS:-5}" -timeout=25 -rss_limit_mb=2048 \
  -print_final_stats=1 "$2" "$3"
