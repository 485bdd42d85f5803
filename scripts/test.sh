#!/usr/bin/env bash
# Builds and runs every test of Padwright on a Debian 12 machine:
#   native core and the Linux padwright command (plain, then the core under AddressSanitizer
#   + UndefinedBehaviorSanitizer, then the concurrency cases under ThreadSanitizer), then the
#   Windows x64 cross build with its tests under Wine; the release archive of each platform
#   is built and checked on the way. Installs what it needs first. Ends with one line
#   "Summary: N passed, N failed" counting CTest's tests over all stages.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh || { echo "Summary: 0 passed, 1 failed"; exit 1; }

jobs=$(nproc 2>/dev/null || echo 2)
mkdir -p build/logs
passed=0
failed=0

stage() {
  local preset=$1
  echo "=== $preset: build ==="
  if ! cmake --preset "$preset" >"build/logs/$preset-configure.log" 2>&1; then
    tail -n 40 "build/logs/$preset-configure.log"
    echo "$preset: configure failed"
    failed=$((failed + 1))
    return
  fi
  if ! cmake --build --preset "$preset" -j "$jobs" >"build/logs/$preset-build.log" 2>&1; then
    grep -E 'error|Error' "build/logs/$preset-build.log" | head -n 40
    echo "$preset: build failed (build/logs/$preset-build.log)"
    failed=$((failed + 1))
    return
  fi
  echo "=== $preset: test ==="
  local log="build/logs/$preset-test.log"
  ctest --preset "$preset" --timeout 900 2>&1 | tee "$log"
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    echo "$preset: no test result"
    failed=$((failed + 1))
    return
  fi
  local total fail
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  fail=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((passed + total - fail))
  failed=$((failed + fail))
}

stage native
stage native-asan
stage native-tsan
stage windows
for env in build/windows build/windows/dpi; do
  bash scripts/wine-env.sh stop "$env" >/dev/null 2>&1 || true
done

echo "Summary: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
