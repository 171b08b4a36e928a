#!/usr/bin/env bash
# Side by side: zqscan and clamscan over one corpus with the same section
# signatures, each in its own format. Prints both wall times, their ratio and
# whether both found exactly the same files.
#
#   bench/compare-clamscan.sh [WORKDIR] [-- corpus options]
#
# WORKDIR (default /tmp/zq-compare) receives the corpus and both databases.
# Corpus options go to zq-make-corpus (--files, --pe, --infected,
# --signatures, --seed). ZQ_BUILD_DIR picks the build folder (default build/).
# ZQ_COMPARE_RUNS sets how many timed runs each scanner gets (default 1; the
# best counts). The corpus is read once beforehand, so both scanners start
# from a warm disk cache.
#
# clamscan only ever reads the .mdb built here: no other database is loaded,
# and its signature updater is never run.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${ZQ_BUILD_DIR:-$ROOT/build}"
RUNS="${ZQ_COMPARE_RUNS:-1}"
WORK="/tmp/zq-compare"
if [ $# -gt 0 ] && [ "$1" != "--" ]; then WORK="$1"; shift; fi
[ "${1:-}" = "--" ] && shift
CORPUS_OPTIONS=("$@")
WORK="$(realpath -m "$WORK")"

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

install_clamav() {
  command -v clamscan >/dev/null && return 0
  echo "Installing Debian's clamav (scanner only; its updater is not run)..."
  # Keep package scripts from starting the update service, which would go
  # to the network.
  local policy=/usr/sbin/policy-rc.d added=0
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' | as_root tee "$policy" >/dev/null
    as_root chmod 755 "$policy"
    added=1
  fi
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends clamav
  [ $added = 1 ] && as_root rm -f "$policy"
  command -v clamscan >/dev/null
}

# Wall time of one command in seconds (stdout to $2).
time_run() {
  local out="$1"
  shift
  local start end
  start=$(date +%s.%N)
  "$@" >"$out" 2>"$out.err" || true
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }'
}

best_time() {
  local out="$1"
  shift
  local best="" t
  for _ in $(seq "$RUNS"); do
    t=$(time_run "$out" "$@")
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  printf '%.3f' "$best"
}

install_clamav

echo "Building zqscan and the corpus builder in $BUILD_DIR..."
cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="${ZQ_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$BUILD_DIR" --target zqscan zq-make-corpus -j "${ZQ_JOBS:-2}" >/dev/null

"$BUILD_DIR/bench-tools/zq-make-corpus" "$WORK" "${CORPUS_OPTIONS[@]}"
CORPUS="$WORK/corpus"

find "$CORPUS" -type f -exec cat {} + >/dev/null  # warm the disk cache
echo "Timing (best of $RUNS run(s) each)..."
ZQ_TIME=$(best_time "$WORK/zqscan.out" "$BUILD_DIR/ZQ/zqscan" --home "$WORK/home" --all-files "$CORPUS")
CLAM_TIME=$(best_time "$WORK/clamscan.out" clamscan -r --infected --no-summary -d "$WORK/sections.mdb" "$CORPUS")

# Both print "path: name FOUND"; compare the sets of paths.
sed -n 's/^\(.*\): [^:]* FOUND.*$/\1/p' "$WORK/zqscan.out" | sort >"$WORK/zqscan.found"
sed -n 's/^\(.*\): [^:]* FOUND$/\1/p' "$WORK/clamscan.out" | sort >"$WORK/clamscan.found"

echo
echo "Corpus:        $(find "$CORPUS" -type f | wc -l) files, $(du -sh "$CORPUS" | cut -f1), $(wc -l <"$WORK/sections.mdb") signatures"
echo "zqscan:        ${ZQ_TIME} s, $(wc -l <"$WORK/zqscan.found") detections"
echo "clamscan:      ${CLAM_TIME} s, $(wc -l <"$WORK/clamscan.found") detections ($(clamscan --version))"
echo "Ratio:         zqscan / clamscan = $(awk -v z="$ZQ_TIME" -v c="$CLAM_TIME" 'BEGIN { printf "%.4f (clamscan takes %.1f times as long)", z / c, c / z }')"
if cmp -s "$WORK/zqscan.found" "$WORK/clamscan.found"; then
  echo "Detections:    the same $(wc -l <"$WORK/zqscan.found") files"
else
  echo "Detections:    DIFFER"
  diff "$WORK/zqscan.found" "$WORK/clamscan.found" | head -20
fi
if cmp -s "$WORK/zqscan.found" "$WORK/expected.txt"; then
  echo "Expected:      zqscan found exactly the infected files planted"
else
  echo "Expected:      zqscan's detections differ from the planted ones"
fi
