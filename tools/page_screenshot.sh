#!/usr/bin/env bash
# Renders a page with Debian's Chromium, headless, 1280 pixels wide:
#   page_screenshot.sh PAGE.html OUT.png [HEIGHT]     a picture (HEIGHT: 1600 by default)
#   page_screenshot.sh --dump-dom PAGE.html           the document after its scripts ran
# A fresh profile each time, no network of its own (the machine's is closed).
set -euo pipefail
mode=screenshot
if [ "${1:-}" = --dump-dom ]; then mode=dump; shift; fi
page=$(realpath "$1")
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
flags=(--headless=new --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking
       --disable-component-update --disable-sync --disable-extensions --hide-scrollbars
       --user-data-dir="$profile")
if [ $mode = dump ]; then
  chromium "${flags[@]}" --window-size=1280,800 --dump-dom "file://$page" 2> "$profile/log" ||
    { cat "$profile/log" >&2; exit 1; }
else
  out=$(realpath -m "$2")
  chromium "${flags[@]}" --window-size=1280,"${3:-1600}" --screenshot="$out" "file://$page" > "$profile/log" 2>&1 ||
    { cat "$profile/log" >&2; exit 1; }
  [ -s "$out" ] || { echo "no picture was written: $(cat "$profile/log")" >&2; exit 1; }
fi
