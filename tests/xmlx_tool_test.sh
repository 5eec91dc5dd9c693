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
"$xmlx" frobnicate 2> /dev/null; [ $? -eq 2 ] || fail "usage error is not 2"
echo "xmlx tool: ok"
