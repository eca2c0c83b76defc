#!/usr/bin/env bash
# The release is complete and its bytes do not depend on where it is built: two
# copies of the source in folders of different names and depths, each released
# under its own TMPDIR, give identical files. Usage: release_reproducible.sh OUT_DIR
set -uo pipefail
root=$(cd "$(dirname "$(realpath "$0")")/.." && pwd)
out=$(realpath -m "$1")
files=(REMOVR.EXE PELTOAPI.DLL peltoapi.h PELTOAPI.LIB libpeltoapi.a)
rm -rf "$out"
mkdir -p "$out"

# The working copy as it stands (tracked and new files, not the build trees).
copy_source() {
  mkdir -p "$1"
  if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    (cd "$root" && git ls-files -z --cached --others --exclude-standard |
       while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
       tar --null -T - -cf -) | tar -C "$1" -xf -
  else
    tar -C "$root" --exclude=./build --exclude=./dist --exclude=./artifacts -cf - . |
      tar -C "$1" -xf -
  fi
}

first=$out/a/removr
second=$out/second-folder/nested/removr-release-copy
for dir in "$first" "$second"; do
  copy_source "$dir" || { echo "FAIL: copying the source to $dir"; exit 1; }
done
mkdir -p "$out/tmp1" "$out/another-tmp/deeper"
TMPDIR=$out/tmp1 "$first/scripts/release" "$out/first" >/dev/null ||
  { echo "FAIL: release build from $first"; exit 1; }
TMPDIR=$out/another-tmp/deeper "$second/scripts/release" "$out/second" >/dev/null ||
  { echo "FAIL: release build from $second"; exit 1; }

status=0
for f in "${files[@]}" SHA256SUMS; do
  [ -s "$out/first/$f" ] || { echo "FAIL: $f missing from the release"; status=1; continue; }
  cmp -s "$out/first/$f" "$out/second/$f" || { echo "FAIL: $f differs between the folders"; status=1; }
done
extra=$(ls "$out/first" | grep -vxF -e SHA256SUMS "${files[@]/#/-e}")
[ -z "$extra" ] || { echo "FAIL: unexpected files in the release: $extra"; status=1; }
# SHA256SUMS names every file of the release by its own bytes.
(cd "$out/first" && sha256sum --strict -c SHA256SUMS) || status=1
[ "$(wc -l <"$out/first/SHA256SUMS")" = ${#files[@]} ] || { echo "FAIL: SHA256SUMS lists other files"; status=1; }
[ $status -eq 0 ] || exit 1
cat "$out/first/SHA256SUMS"
echo "release: built from two folders under two TMPDIRs, identical bytes"
rm -rf "$out/a" "$out/second-folder" "$out/tmp1" "$out/another-tmp"
