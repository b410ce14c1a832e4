#!/usr/bin/env bash
# Sets the machine up, then builds and runs every test:
#   1. the release build (build/) and its unit tests,
#   2. the Debian package built from build/, unpacked and run; as root on a
#      machine without the package (CI) also installed, run and removed
#      (tests/package/package_test.sh),
#   3. the same unit tests under AddressSanitizer + UndefinedBehaviorSanitizer
#      (build-sanitize/),
#   4. a bounded libFuzzer run of the INI parser (build-fuzz/).
# Once build/ is built, a failing stage does not stop the later ones, so one
# run shows every problem; the exit status is non-zero if anything failed.
# The last line is ctest's summary of the unit tests in build/.
#
# VANTIX_FUZZ_SECONDS sets the length of the fuzz run (default 30).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/deps.sh

# Two cores on the developers' machines and in CI.
jobs=2
fuzz_seconds="${VANTIX_FUZZ_SECONDS:-30}"
failed=()
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

stage() { printf '\n==== %s\n' "$*"; }

# No test found counts as a failure; a hung test must not eat the CI time.
ctest_args=(--parallel "$jobs" --no-tests=error --timeout 300)

stage "build (default preset)"
cmake --preset default
cmake --build --preset default --parallel "$jobs"

stage "unit tests (build/)"
ctest --preset default "${ctest_args[@]}" 2>&1 | tee "$work/ctest-main.log" ||
  failed+=("unit tests in build/")

stage "Debian package (build/)"
bash tests/package/package_test.sh build || failed+=("Debian package")

stage "build (sanitize preset)"
if cmake --preset sanitize && cmake --build --preset sanitize --parallel "$jobs"; then
  stage "unit tests under ASan + UBSan (build-sanitize/)"
  ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:strict_init_order=1" \
  LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS="print_stacktrace=1" \
    ctest --preset sanitize "${ctest_args[@]}" || failed+=("unit tests in build-sanitize/")
else
  failed+=("sanitize build")
fi

stage "fuzz (fuzz preset)"
if cmake --preset fuzz; then
  # Not "ninja ... | grep -q": grep stopping early makes ninja die of SIGPIPE,
  # and pipefail turns that into "no target".
  fuzz_targets="$(ninja -C build-fuzz -t targets all)"
  if ! grep -q '^ini_fuzz:' <<<"$fuzz_targets"; then
    echo "tests/fuzz defines no ini_fuzz target yet: fuzz stage skipped"
  elif ! cmake --build --preset fuzz --parallel "$jobs" --target ini_fuzz; then
    failed+=("fuzz build")
  else
    # libFuzzer adds what it finds to the corpus folder: give it a copy so the
    # checked-in seeds stay as they are.
    mkdir -p "$work/corpus"
    if [[ -d tests/fuzz/corpus ]]; then cp -R tests/fuzz/corpus/. "$work/corpus/"; fi
    fuzz_args=(-max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048
               -print_final_stats=1 -artifact_prefix=tests/fuzz/)
    for dict in tests/fuzz/*.dict; do
      if [[ -f "$dict" ]]; then fuzz_args+=(-dict="$dict"); fi
    done
    echo "ini_fuzz: ${fuzz_seconds}s on $(find "$work/corpus" -type f | wc -l) seed(s)"
    if build-fuzz/tests/fuzz/ini_fuzz "${fuzz_args[@]}" "$work/corpus" >"$work/fuzz.log" 2>&1; then
      grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$work/fuzz.log" || true
      echo "ini_fuzz: no crash"
    else
      cat "$work/fuzz.log"
      echo "ini_fuzz failed; the input that did it is in tests/fuzz/ (crash-*, leak-*, timeout-*, oom-*)"
      failed+=("fuzzing")
    fi
  fi
else
  failed+=("fuzz configure")
fi

stage "result"
for f in "${failed[@]}"; do echo "FAILED: $f"; done
summary="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$work/ctest-main.log" | tail -n 1 || true)"
if [[ -z "$summary" ]]; then
  echo "the unit test run in build/ printed no summary"
  exit 1
fi
echo "$summary"
[[ ${#failed[@]} -eq 0 ]]
