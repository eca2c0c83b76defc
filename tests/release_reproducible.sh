#!/usr/bin/env bash
# Two clean release builds give the same bytes. Usage: release_reproducible.sh OUT_DIR
set -uo pipefail
root=$(cd "$(dirname "$(realpath "$0")")/.." && pwd)
out=$1
"$root/scripts/release" "$out/first" >/dev/null || { echo "FAIL: first release build"; exit 1; }
"$root/scripts/release" "$out/second" >/dev/null || { echo "FAIL: second release build"; exit 1; }
if diff "$out/first/SHA256SUMS" "$out/second/SHA256SUMS"; then
  cat "$out/first/SHA256SUMS"
  echo "release: two clean builds, identical bytes"
else
  echo "FAIL: two clean builds differ"
  exit 1
fi
for f in REMOVR.EXE PELTOAPI.DLL peltoapi.h libpeltoapi.a; do
  [ -s "$out/first/$f" ] || { echo "FAIL: $f missing from the release"; exit 1; }
done
