#!/usr/bin/env bash
# The header check refuses each bad image for its own fault, and only for it.
# Usage: refuse.sh CHECK-PE CRT_PROGRAM CONSTRUCTOR_PROGRAM ORDINAL_PROGRAM CMOV_PROGRAM
set -uo pipefail
check_pe=$1 crt=$2 constructor=$3 ordinal=$4 cmov=$5
failures=0

expect_refused() {  # expect_refused FILE WHAT-MUST-FAIL
  local out status
  out=$("$check_pe" --platform "$1" 2>&1); status=$?
  local failed; failed=$(echo "$out" | grep '^FAIL' | sed -E 's/^FAIL [^:]+: ([^:]+):.*/\1/' | sort -u | tr '\n' '|')
  if [ "$status" -ne 0 ] && [ "$failed" == "$2" ]; then
    echo "ok   $(basename "$1") refused for: $2"
  else
    echo "FAIL $(basename "$1"): exit $status, failed checks [$failed], expected [$2]"
    echo "$out" | sed 's/^/     /'
    failures=$((failures + 1))
  fi
}

# Its start-up code, built for the Pentium Pro, brings the run-time's constructor
# and TLS tables as well.
expect_refused "$crt" "C run-time libraries|constructor tables|imports outside the Windows 95 list|instructions later than the 80386|"
expect_refused "$constructor" "constructor tables|"
expect_refused "$ordinal" "imports by ordinal|"
expect_refused "$cmov" "instructions later than the 80386|"
# A sound image's first section given a raw size off the file alignment.
torn=$(mktemp) && cp "$constructor" "$torn" && trap 'rm -f "$torn"' EXIT
pe=$(od -An -t u4 -j 60 -N 4 "$torn" | tr -d ' ') opt=$(od -An -t u2 -j $((pe + 20)) -N 2 "$torn" | tr -d ' ')
printf '\001' | dd of="$torn" bs=1 seek=$((pe + 24 + opt + 16)) conv=notrunc 2>/dev/null
expect_refused "$torn" "constructor tables|sections whole|"
[ "$failures" -eq 0 ] && echo "refuse: every bad image refused" && exit 0
exit 1
