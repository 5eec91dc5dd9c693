#!/usr/bin/env bash
# The demo host as a user meets it: a malformed session, a failing expectation, the quiet
# transcript and the log file.
set -u
qrn_host=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

printf 'role 1\ncall CanSignIn\njump\ncall CanTakeActivityReward\n' > "$dir/bad.session"
"$qrn_host" "$dir/bad.session" > "$dir/out" 2> "$dir/err"; status=$?
[ $status -eq 2 ] || fail "malformed session gave $status"
[ ! -s "$dir/out" ] || fail "a malformed session ran: $(cat "$dir/out")"
grep -q "bad.session:3: error: unknown step 'jump'" "$dir/err" || fail "no line 3: $(cat "$dir/err")"
grep -q "bad.session:4: error: CanTakeActivityReward takes 1 argument(s), not 0" "$dir/err" || fail "no line 4: $(cat "$dir/err")"
grep -q "2 malformed line(s); nothing was run." "$dir/err" || fail "no summary: $(cat "$dir/err")"

printf 'clock 2026-12-08 10:00 UTC0\nrole 1\nactivity 5\ncall CanTakeActivityReward 1\nexpect answer true\nexpect count 3 0\n' > "$dir/wrong.session"
"$qrn_host" --quiet "$dir/wrong.session" > "$dir/out" 2>&1; status=$?
[ $status -eq 1 ] || fail "failing expectation gave $status"
grep -q "FAIL    line 5: expected answer true, got false" "$dir/out" || fail "no failure line: $(cat "$dir/out")"
grep -q "done: 6 steps, 2 expectations, 1 failed" "$dir/out" || fail "no summary: $(cat "$dir/out")"
grep -q " log " "$dir/out" && fail "--quiet wrote log lines"
grep -q "answer  " "$dir/out" && fail "--quiet wrote answers"

"$qrn_host" --log "$dir/module.log" "$dir/wrong.session" > "$dir/out" 2>&1
grep -q "\[L2\] call PluginParent::StartContainer() ok" "$dir/module.log" || fail "no log file lines"
grep -q " log " "$dir/out" && fail "log lines went to the transcript with --log"
grep -q "why     tier 1: activity value 5 is below the 20 required" "$dir/out" || fail "no reason: $(cat "$dir/out")"

"$qrn_host" --config "$dir" "$dir/wrong.session" > "$dir/out" 2>&1; status=$?
[ $status -eq 1 ] || fail "a missing configuration gave $status"
grep -q "config\\\\DailyActivity\\\\Config.xml load fail!" "$dir/out" || fail "no load failure: $(cat "$dir/out")"
grep -q "the tree did not start" "$dir/out" || fail "no start failure: $(cat "$dir/out")"

# Session files that are no session: refused with exit 2 and a reason, never read without bound.
"$qrn_host" "$dir" > /dev/null 2> "$dir/err"; status=$?
[ $status -eq 2 ] && grep -q "is not a regular file" "$dir/err" || fail "a directory gave $status: $(cat "$dir/err")"
timeout 20 "$qrn_host" /dev/zero > /dev/null 2> "$dir/err"; status=$?
[ $status -eq 2 ] && grep -Eq "is not a regular file|cannot be read" "$dir/err" || fail "/dev/zero gave $status: $(cat "$dir/err")"
timeout 20 "$qrn_host" - < /dev/zero > /dev/null 2> "$dir/err"; status=$?
[ $status -eq 2 ] && grep -q "a line longer than 1 MB" "$dir/err" || fail "endless input gave $status: $(cat "$dir/err")"
head -c 17000000 /dev/zero | tr '\0' '\n' > "$dir/huge.session"
"$qrn_host" "$dir/huge.session" > /dev/null 2> "$dir/err"; status=$?
[ $status -eq 2 ] && grep -q "larger than 16 MB" "$dir/err" || fail "a huge file gave $status: $(cat "$dir/err")"
printf 'role 1\nexpect count 3 0\n' | "$qrn_host" --quiet - > "$dir/out" 2>&1 || fail "standard input: $(cat "$dir/out")"
{ echo "clock 2026-12-08 00:00 UTC0"; for i in $(seq 100); do echo "advance 36600d"; done; } > "$dir/late.session"
"$qrn_host" --quiet "$dir/late.session" > "$dir/out" 2>&1; status=$?
[ $status -eq 1 ] && grep -Eq "the clock would leave the years [0-9]+\.\.[0-9]+" "$dir/out" || fail "clock overflow gave $status: $(cat "$dir/out")"

# Lost output is a failure, said on standard error.
if [ -w /dev/full ]; then
  "$qrn_host" > /dev/full 2> "$dir/err"; status=$?
  [ $status -eq 1 ] && grep -q "the transcript could not be written" "$dir/err" || fail "full transcript gave $status"
  if [ -z "${ZOR_TARGET_WINDOWS:-}" ]; then  # Windows names no such file: Wine's "/dev/full" takes the writes
    "$qrn_host" --log /dev/full > /dev/null 2> "$dir/err"; status=$?
    [ $status -eq 1 ] && grep -q "could not be written in full" "$dir/err" || fail "full log gave $status"
  fi
fi

# A configuration that is a FIFO fails the start as an unreadable file does, without waiting on it.
mkdir -p "$dir/fifo/config/DailyActivity"
mkfifo "$dir/fifo/config/DailyActivity/Config.xml"
timeout 20 "$qrn_host" --config "$dir/fifo" "$dir/wrong.session" > "$dir/out" 2>&1; status=$?
[ $status -eq 1 ] && grep -q "Config.xml load fail!" "$dir/out" || fail "a FIFO configuration gave $status"

"$qrn_host" --print-default | tr -d '\r' | grep -q "^call RequestSignIn$" || fail "no default session text"
"$qrn_host" --bogus > /dev/null 2>&1; [ $? -eq 2 ] || fail "usage error is not 2"
echo "qrn_host: ok"
