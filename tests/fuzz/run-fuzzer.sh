#!/usr/bin/env bash
# Builds the controller link's libFuzzer target with clang (address and undefined-behaviour
# sanitizers) and runs it; not part of the test command.
#   tests/fuzz/run-fuzzer.sh [libFuzzer options...]   e.g. -max_total_time=60
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build/fuzz
mkdir -p "$out/corpus"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$root" "$root/tests/fuzz/protocol_fuzzer.cpp" "$root/tests/unit/fuzz/ChaosTransport.cpp" \
  "$root/platform/Clock.cpp" -o "$out/protocol_fuzzer"
cd "$out"
exec ./protocol_fuzzer corpus "${@:--max_total_time=60}"
