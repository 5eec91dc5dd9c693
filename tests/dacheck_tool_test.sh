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
head -c 4096 /dev/urandom | tr -d '<' > "$dir/game/config/DailyActivity/Config.xml"
"$dacheck" "$dir/game" > "$dir/out"; [ $? -eq 1 ] || fail "random bytes gave $?"
grep -q "the file is not XML text, or not in an encoding the loader reads" "$dir/out" || fail "random: $(cat "$dir/out")"
rm "$dir/game/config/DailyActivity/Config.xml"
mkfifo "$dir/game/config/DailyActivity/Config.xml"
timeout 20 "$dacheck" "$dir/game" > "$dir/out"; [ $? -eq 1 ] || fail "a FIFO gave $?"
grep -q "load fail!" "$dir/out" || fail "FIFO: $(cat "$dir/out")"
rm "$dir/game/config/DailyActivity/Config.xml"

# Advice for designers: repeated keys and unknown reward kinds warn, and fail only with --strict.
cat > "$dir/game/config/DailyActivity/Config.xml" <<'XML'
<Config>
<DailyActivity><A Type="1" CompleteNum="2" RewardScore="5"/>
<A Type="1" CompleteNum="2" RewardScore="6"/></DailyActivity>
<ActivityReward><T Index="1" ActivityValue="10" RewardItemTemplateID="7" RewardItemNum="1"/>
<T Index="1" ActivityValue="20" RewardItemTemplateID="8" RewardItemNum="1"/></ActivityReward>
<SignInReward><S Index="1" SignInNum="2"><I RewardType="9" RewardValue="1"/></S></SignInReward>
</Config>
XML
"$dacheck" "$dir/game" > "$dir/out" || fail "warnings failed without --strict: $(cat "$dir/out")"
grep -q "Config.xml:3:1: warning: Warning:Type 1 with CompleteNum 2 repeats the entry of row 2; the later entry is kept" "$dir/out" || fail "pair: $(cat "$dir/out")"
grep -q "Config.xml:5:1: warning: Warning:Index 1 repeats the entry of row 4" "$dir/out" || fail "index: $(cat "$dir/out")"
grep -q "warning: Warning:RewardType 9 is none of the kinds the game knows" "$dir/out" || fail "kind: $(cat "$dir/out")"
grep -q "Index 1: ActivityValue 20" "$dir/out" || fail "the later entry is not kept: $(cat "$dir/out")"
"$dacheck" --strict "$dir/game" > "$dir/out"; [ $? -eq 1 ] || fail "--strict passed warnings"
grep -q "3 warning(s); --strict fails on warnings." "$dir/out" || fail "strict: $(cat "$dir/out")"

"$dacheck" "" 2> "$dir/err"; [ $? -eq 2 ] || fail "an empty GAME_DIR was checked"
if [ -w /dev/full ]; then
  "$dacheck" "$sample" > /dev/full 2> "$dir/err"; [ $? -eq 1 ] || fail "a lost report passed"
  grep -q "the report could not be written" "$dir/err" || fail "full: $(cat "$dir/err")"
fi
"$dacheck" -h 2> /dev/null; [ $? -eq 2 ] || fail "usage error is not 2"
echo "dacheck: ok"
