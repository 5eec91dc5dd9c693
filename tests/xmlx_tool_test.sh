#!/usr/bin/env bash
# The content authors' tool: round trip, checks, and exit codes.
set -u
xmlx=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

printf '<a>\r\n<b x="1"/></a>' > "$dir/ok.xml"
"$xmlx" scramble "$dir/ok.xml" "$dir/ok.XMLX" || fail "scramble"
cmp -s "$dir/ok.xml" "$dir/ok.XMLX" && fail "scrambled file equals the plain one"
"$xmlx" check "$dir/ok.XMLX" > "$dir/out" || fail "scrambled file does not check"
"$xmlx" unscramble "$dir/ok.XMLX" "$dir/back.xml" || fail "unscramble"
cmp -s "$dir/ok.xml" "$dir/back.xml" || fail "round trip changed the bytes"

printf '<a>\n<b></a>' > "$dir/bad.xml"
"$xmlx" check "$dir/ok.xml" "$dir/bad.xml" > "$dir/out" && fail "broken file passed"
grep -q "bad.xml: error 8: Error reading end tag. at row 2, column 4" "$dir/out" || fail "no row and column: $(cat "$dir/out")"
"$xmlx" check "$dir/none.xml" > /dev/null && fail "missing file passed"

# Files that would have crashed or fooled it.
{ for i in $(seq 100000); do printf '<a>'; done; } > "$dir/deep.xml"
"$xmlx" check "$dir/deep.xml" > "$dir/out"; [ $? -eq 1 ] || fail "deep file: $(cat "$dir/out")"
grep -q "deep.xml: error 3: Error parsing Element: nested deeper than 1000 levels at row 1, column 3001" "$dir/out" || fail "deep: $(cat "$dir/out")"
printf '<?xml version="1.0"?>\n]<a/>' > "$dir/stray.xml"
"$xmlx" check "$dir/stray.xml" > "$dir/out" && fail "stray ] passed"
grep -q "stray.xml: error 1: Error: the text could not be read past this point at row 2, column 1" "$dir/out" || fail "stray: $(cat "$dir/out")"
if [ -w /dev/full ]; then
  "$xmlx" scramble "$dir/ok.xml" /dev/full 2> "$dir/err"; [ $? -eq 1 ] || fail "writing to a full device passed"
  grep -q "/dev/full: cannot be written" "$dir/err" || fail "full: $(cat "$dir/err")"
  "$xmlx" check "$dir/ok.xml" > /dev/full 2> "$dir/err"; [ $? -eq 1 ] || fail "a lost report passed"
  grep -q "the report could not be written" "$dir/err" || fail "full check: $(cat "$dir/err")"
fi
"$xmlx" scramble "$dir" "$dir/x.xmlx" 2> "$dir/err"; [ $? -eq 1 ] || fail "a directory as input gave $?"
grep -q "not a regular file" "$dir/err" || fail "directory: $(cat "$dir/err")"
"$xmlx" frobnicate 2> /dev/null; [ $? -eq 2 ] || fail "usage error is not 2"
echo "xmlx tool: ok"
