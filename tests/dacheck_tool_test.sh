#!/usr/bin/env bash
# The designers' checker on the sample configuration and on a broken copy of it.
set -u
dacheck=$1
sample=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$dacheck" "$sample" > "$dir/out" || fail "sample does not check: $(cat "$dir/out")"
grep -q "DailyActivity (59 rows)" "$dir/out" || fail "no daily activity table"
grep -q "Index 4: ActivityValue 120" "$dir/out" || fail "no tier 4"
grep -q "SignInReward (5 rewards)" "$dir/out" || fail "no sign-in table"

mkdir -p "$dir/game/config/DailyActivity"
sed -e 's/Type="5" CompleteNum="3"/Type="23" CompleteNum="3"/' \
    -e 's/RewardType="3" RewardItemTemplateID="200100002" RewardItemNum="1"/RewardType="3" RewardItemTemplateID="200100002"/' \
    "$sample/config/DailyActivity/Config.xml" > "$dir/game/config/DailyActivity/Config.xml"
"$dacheck" "$dir/game" > "$dir/out"; status=$?
[ $status -eq 1 ] || fail "broken copy gave $status"
grep -Eq "Config.xml:[0-9]+:[0-9]+: error: The value of Type is invalid" "$dir/out" || fail "no Type error: $(cat "$dir/out")"
grep -q "error: The SignInReward Item Num Must be > 0" "$dir/out" || fail "no item error: $(cat "$dir/out")"
grep -q "2 error(s)" "$dir/out" || fail "count: $(cat "$dir/out")"

echo "<Config><DailyActivity>" > "$dir/game/config/DailyActivity/Config.xml"
"$dacheck" "$dir/game" > "$dir/out" && fail "unparsable file passed"
grep -q "load fail!" "$dir/out" || fail "no load failure: $(cat "$dir/out")"
printf '<?xml version="1.0"?>\n<!-- <Config><DailyActivity><A Type="99"/></DailyActivity></Config> -->\n' > "$dir/game/config/DailyActivity/Config.xml"
"$dacheck" "$dir/game" > "$dir/out"; [ $? -eq 1 ] || fail "a file without root element passed"
grep -q "Config.xml:1:1: error: .*load fail! (the document has no root element)" "$dir/out" || fail "rootless: $(cat "$dir/out")"
{ for i in $(seq 100000); do printf '<a>'; done; } > "$dir/game/config/DailyActivity/Config.xml"
"$dacheck" "$dir/game" > "$dir/out"; [ $? -eq 1 ] || fail "a deep file gave $?"
grep -q "nested deeper than 1000 levels" "$dir/out" || fail "deep: $(cat "$dir/out")"
"$dacheck" -h 2> /dev/null; [ $? -eq 2 ] || fail "usage error is not 2"
echo "dacheck: ok"
