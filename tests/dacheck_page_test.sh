#!/usr/bin/env bash
# The designers' page as a browser draws it: dacheck --html on the sample configuration, on one
# with every kind of advice, on one that does not load and on a hostile one; Chromium renders
# each (the pictures stay in OUT_DIR) and, through a measuring script added to a copy of the
# page, tells what only a rendering shows: every section drawn with a height, nothing wider than
# the page at 1280 pixels, every advice link leading to its marked line.
#   dacheck_page_test.sh DACHECK SOURCE_DIR OUT_DIR
set -u
dacheck=$1
src=$2
out=$3/dacheck-pages
shot=$src/tools/page_screenshot.sh
rm -rf "$out"
mkdir -p "$out"
fail() { echo "FAIL: $*"; exit 1; }

# A copy of the page whose script writes what the browser laid out into attributes of <body>.
measured() {
  sed 's|</body>|<script>(function () {\
  var sections = [], wide = [], links = 0, good = 0;\
  document.querySelectorAll("header, section").forEach(function (s) {\
    sections.push(s.id + ":" + Math.round(s.getBoundingClientRect().height)); });\
  var width = document.documentElement.clientWidth;\
  document.querySelectorAll("body *").forEach(function (e) {\
    if (e.closest(".scroll") \&\& !e.classList.contains("scroll")) return;\
    if (e.getBoundingClientRect().right > width + 0.5) wide.push(e.tagName + "." + e.className); });\
  document.querySelectorAll("a.note-link").forEach(function (a) {\
    links++;\
    var t = document.getElementById(a.getAttribute("href").slice(1));\
    if (t \&\& t.classList.contains("marked") \&\& t.getBoundingClientRect().height > 0) good++; });\
  var b = document.body;\
  b.setAttribute("data-sections", sections.join(" "));\
  b.setAttribute("data-wide", String(wide.length) + (wide.length ? " " + wide.slice(0, 5).join(" ") : ""));\
  b.setAttribute("data-scroll-width", String(document.documentElement.scrollWidth) + "/" + width);\
  b.setAttribute("data-links", links + "/" + good);\
  b.setAttribute("data-scripts", String(document.scripts.length));\
})();</script></body>|' "$1" > "$2"
}
# attribute NAME DOM: the value of a data- attribute of the measured <body>.
attribute() { grep -o "data-$1=\"[^\"]*\"" "$2" | head -1 | sed 's/^[^"]*"//; s/"$//'; }

# render NAME: the page NAME.html drawn to NAME.png and measured into NAME.dom; checks what
# every page must show.
render() {
  local name=$1
  "$shot" "$out/$name.html" "$out/$name.png" || fail "$name: no picture"
  measured "$out/$name.html" "$out/$name.measured.html"
  "$shot" --dump-dom "$out/$name.measured.html" > "$out/$name.dom" || fail "$name: no document"
  local sections wide links
  sections=$(attribute sections "$out/$name.dom")
  [ -n "$sections" ] || fail "$name: the measuring script did not run"
  for s in $sections; do
    [ "${s#*:}" -gt 0 ] || fail "$name: section ${s%%:*} drawn without height ($sections)"
  done
  wide=$(attribute wide "$out/$name.dom")
  [ "${wide%% *}" = 0 ] || fail "$name: elements wider than the page: $wide (scroll width $(attribute scroll-width "$out/$name.dom"))"
  links=$(attribute links "$out/$name.dom")
  [ "${links%/*}" = "${links#*/}" ] || fail "$name: advice links without their marked line: $links"
  echo "$name: sections $sections; links $links"
}
has_sections() {  # has_sections NAME ID... : exactly these sections, in this order
  local got
  got=$(attribute sections "$out/$1.dom" | sed 's/:[0-9]*//g')
  shift
  [ "$got" = "$*" ] || fail "sections '$got', expected '$*'"
}

# The sample: it loads without a word; every part drawn.
"$dacheck" --html "$out/sample.html" "$src" > /dev/null || fail "the sample does not check"
render sample
has_sections sample verdict notes activity tiers signin file
[ "$(attribute links "$out/sample.dom")" = "0/0" ] || fail "the sample has notes"

# Every kind of advice: a tier beyond 1..4, tiers out of order, a sign-in reward beyond 1..5,
# sign-in counts beyond the month and beyond the short months, an item past the role value's
# bits; and the module's own advice on a repeated key and an unknown reward kind.
game=$out/advice
mkdir -p "$game/config/DailyActivity"
{
  echo '<Config>'
  echo '<DailyActivity><A Type="1" CompleteNum="2" RewardScore="5"/><A Type="1" CompleteNum="2" RewardScore="6"/></DailyActivity>'
  echo '<ActivityReward>'
  echo '<T Index="1" ActivityValue="30" RewardItemTemplateID="9223372036854775807" RewardItemNum="1"/>'
  echo '<T Index="2" ActivityValue="20" RewardItemTemplateID="2" RewardItemNum="1"/>'
  echo '<T Index="5" ActivityValue="90" RewardItemTemplateID="5" RewardItemNum="1"/>'
  echo '</ActivityReward>'
  echo '<SignInReward>'
  echo '<R Index="1" SignInNum="40"><I RewardType="0" RewardValue="1"/></R>'
  echo '<R Index="2" SignInNum="29"><I RewardType="0" RewardValue="1"/></R>'
  echo '<R Index="3" SignInNum="30"><I RewardType="0" RewardValue="1"/></R>'
  echo '<R Index="4" SignInNum="31"><I RewardType="9" RewardValue="1"/></R>'
  printf '<R Index="5" SignInNum="2">'
  for i in $(seq 0 64); do printf '<I RewardType="0" RewardValue="1"/>'; done
  echo '</R>'
  echo '<R Index="7" SignInNum="1"><I RewardType="0" RewardValue="1"/></R>'
  echo '</SignInReward>'
  echo '</Config>'
} > "$game/config/DailyActivity/Config.xml"
"$dacheck" --html "$out/advice.html" "$game" > "$out/advice.txt" || fail "advice failed without --strict: $(cat "$out/advice.txt")"
for advice in "tier Index 2 needs activity value 20, not more than tier Index 1's 30" \
              "tier Index 5 can never be claimed: the claim rules take tiers 1..4 (role values 34..37)" \
              "sign-in reward Index 1 needs 40 sign-ins, never reached: the sign-in count reads days 1..31 of a month" \
              "sign-in reward Index 2 needs 29 sign-ins, not reached in the months too short: February of common years" \
              "sign-in reward Index 3 needs 30 sign-ins, not reached in the months too short: February" \
              "sign-in reward Index 4 needs 31 sign-ins, not reached in the months too short: February, April, June, September, November" \
              "item 63 of sign-in reward Index 5 can never be claimed: its bit 64 lies outside the 64 bits of role value 42" \
              "item 64 of sign-in reward Index 5 can never be claimed" \
              "sign-in reward Index 7 can never be claimed: the claim rules take rewards 1..5 (role values 38..42)" \
              "Type 1 with CompleteNum 2 repeats the entry of row 2" "RewardType 9 is none of the kinds"; do
  grep -Fq ": warning: Warning:$advice" "$out/advice.txt" || fail "no advice '$advice': $(cat "$out/advice.txt")"
done
grep -q "item 62 of" "$out/advice.txt" && fail "item 62 (bit 63) is claimable"
grep -q "Index 3 needs 30 sign-ins, not reached in the months too short: February$" "$out/advice.txt" ||
  fail "30 sign-ins are not reached in February alone"
warnings=$(grep -c ': warning: ' "$out/advice.txt")
"$dacheck" --strict "$game" > /dev/null && fail "--strict passed the advice"
render advice
has_sections advice verdict notes activity tiers signin file
[ "$(attribute links "$out/advice.dom")" = "$warnings/$warnings" ] || fail "links $(attribute links "$out/advice.dom") for $warnings warnings"
grep -q 'class="rung never" id="tier-5"' "$out/advice.dom" || fail "tier 5 is not drawn as never claimable"
grep -q 'class="reward never" id="signin-7"' "$out/advice.dom" || fail "reward 7 is not drawn as never claimable"
grep -q 'class="reward never" id="signin-1"' "$out/advice.dom" || fail "reward 1 (40 sign-ins) is not drawn as never claimable"
grep -q '<span class="item never">item 63:' "$out/advice.dom" || fail "item 63 is not drawn as never claimable"
grep -q '9223372036854775807' "$out/advice.dom" || fail "a 64-bit item id is not printed exactly"

# A file that does not load: the verdict, the error and its line; no table.
sed 's/Type="1" CompleteNum="2" RewardScore="6"/Type="23" CompleteNum="2" RewardScore="6"/' \
  "$game/config/DailyActivity/Config.xml" > "$out/broken.xml"
mkdir -p "$out/broken/config/DailyActivity"
mv "$out/broken.xml" "$out/broken/config/DailyActivity/Config.xml"
"$dacheck" --html "$out/broken.html" "$out/broken" > /dev/null && fail "the broken file passed"
render broken
has_sections broken verdict notes file
grep -q 'The value of Type is invalid' "$out/broken.dom" || fail "no error on the broken page"

# Hostile text: markup in comments, values and attributes is drawn as text, never run.
mkdir -p "$out/hostile/config/DailyActivity"
cat > "$out/hostile/config/DailyActivity/Config.xml" <<'XML'
<Config><!-- <script>document.title="ran"</script><img src=x onerror="document.title='ran'"> -->
<DailyActivity><A Type="&lt;script&gt;alert(1)&lt;/script&gt;" CompleteNum="1" RewardScore="1"/></DailyActivity>
</Config>
XML
"$dacheck" --html "$out/hostile.html" "$out/hostile" > /dev/null
render hostile
[ "$(attribute scripts "$out/hostile.dom")" = 1 ] || fail "the hostile file's markup became scripts"
grep -q '<title>Daily activity configuration' "$out/hostile.dom" || fail "the hostile file's markup ran"
grep -q '&lt;script&gt;document.title' "$out/hostile.dom" || fail "the hostile markup is not drawn as text"
grep -q '<img' "$out/hostile.dom" && fail "the hostile file's markup became an element"

echo "dacheck pages: ok (pictures in $out)"
