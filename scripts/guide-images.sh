#!/usr/bin/env bash
# Makes the pictures of docs/USER-GUIDE.md again, into docs/images/:
#  - the window: builds padwright.exe and the demonstration driver, runs the shipped exe under
#    Wine on a virtual display against the simulated controller (an update and a restore that
#    fails at 96 DPI; an update cut off half-way and its recovery, in the grown window, at
#    144 DPI, the scale of a handheld's panel, finished after the window's next start, which
#    finds the boot loader alone and offers Force update at once), each screenshot cropped to
#    the window;
#  - the terminal: runs the Linux padwright command in tmux against the same simulator (an
#    update, and an update cut off half-way with the recovery that starts by itself), each
#    pane rendered.
#   bash scripts/guide-images.sh [windows|linux]      (default: both)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
which=${1:-both}

windows_pictures() {
  local build=$PWD/build/windows
  mkdir -p build/logs
  local log=$PWD/build/logs/guide-images.log
  cmake --preset windows >"$log" 2>&1 || { tail -n 30 "$log"; exit 1; }
  cmake --build "$build" -j "$(nproc)" --target padwright inpoutx64 padwright_simulated_hid \
    padwright_demo >>"$log" 2>&1 || { grep -E 'error' "$log" | head -n 30; exit 1; }

  export PADWRIGHT_XVFB=1
  trap 'for env in "'"$build"'" "'"$build/dpi"'"; do
          bash scripts/wine-env.sh stop "$env" >/dev/null 2>&1 || true; done' EXIT
  rm -f "$build"/screenshots/guide-*.png
  bash scripts/wine-env.sh start "$build" >/dev/null
  bash scripts/wine-run.sh "$build" "$build/bin/padwright_demo.exe" --guide
  bash scripts/wine-env.sh stop "$build" >/dev/null 2>&1 || true
  # The grown window in the scale tests' own prefix (the shared one stays at 96 DPI), on a
  # display of 1920 × 1080 that holds it whole.
  PADWRIGHT_XVFB_SCREEN=1920x1080x24 bash scripts/wine-env.sh start "$build/dpi" >/dev/null
  PADWRIGHT_DPI=144 PADWRIGHT_BUILD_DIR=$build \
    bash scripts/wine-run.sh "$build/dpi" "$build/bin/padwright_demo.exe" --guide-recovery
  bash scripts/wine-env.sh stop "$build/dpi" >/dev/null 2>&1 || true
  trap - EXIT

  mkdir -p docs/images
  local shot name
  for shot in "$build"/screenshots/guide-*.png; do
    name=$(basename "$shot")
    convert "$shot" -strip -define png:compression-level=9 "docs/images/${name#guide-}"
    echo "docs/images/${name#guide-}"
  done
}

# Runs `padwright ARGS` in a tmux session of its own against the simulator (padwright-sim
# with SIM_OPTIONS), answers each prompt in turn, and renders the pane into docs/images/NAME.
#   capture NAME "SIM_OPTIONS" "ARGS" [PROMPT ANSWER]...
capture() {
  local name=$1 sim_options=$2 args=$3
  shift 3
  local session="padwright-guide-$$"
  local demo=$PWD/build/native/guide
  mkdir -p "$demo"
  head -c 40000 /dev/urandom >"$demo/firmware.vxf"
  tmux new-session -d -s "$session" -x 92 -y 60 -c "$demo"
  # The command as a user types it; the simulator's own summary is left out of the picture.
  tmux send-keys -t "$session" "PS1='$ '; padwright() { ../bin/padwright-sim $sim_options -- ../bin/padwright \"\$@\" 2>/dev/null; }; clear" Enter
  sleep 0.5
  tmux send-keys -t "$session" "padwright $args" Enter
  local pane=""
  while [ $# -ge 2 ]; do
    wait_for_pane "$session" "$1" || { tmux kill-session -t "$session"; return 1; }
    tmux send-keys -t "$session" "$2" Enter
    shift 2
  done
  # Done once the prompt is back after the version line.
  wait_for_pane "$session" $'Firmware Version:[^\n]*\n\$ *$' || { tmux kill-session -t "$session"; return 1; }
  pane=$(tmux capture-pane -p -t "$session" | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}')
  tmux kill-session -t "$session"
  pane=${pane%$'\n$ '}
  pane=${pane%$'\n$'}
  # One label a line, stacked: ImageMagick measures a long text with wide characters wrongly.
  local lines=() line
  # Spaces as no-break spaces, which label keeps (it trims plain ones).
  local nbsp=$'\xc2\xa0'  # U+00A0 in UTF-8
  while IFS= read -r line; do
    line=${line:- }
    lines+=("label:${line// /$nbsp}")
  done <<<"$pane"
  convert -background '#1e1e1e' -fill '#e6e6e6' -font WenQuanYi-Micro-Hei -pointsize 15 \
    "${lines[@]}" -append -bordercolor '#1e1e1e' -border 14 -strip \
    -define png:compression-level=9 "docs/images/$name"
  echo "docs/images/$name"
}

# Waits up to 90 s until the pane's text (trailing blank lines dropped) matches the regex.
wait_for_pane() {
  local session=$1 pattern=$2
  for _ in $(seq 900); do
    tmux capture-pane -p -t "$session" | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}' |
      python3 -c 'import re,sys; sys.exit(0 if re.search(sys.argv[1], sys.stdin.read()) else 1)' \
        "$pattern" && return 0
    sleep 0.1
  done
  echo "timed out waiting for: $pattern" >&2
  tmux capture-pane -p -t "$session" >&2
  return 1
}

linux_pictures() {
  mkdir -p build/logs
  local log=$PWD/build/logs/guide-images-linux.log
  cmake --preset native >"$log" 2>&1 || { tail -n 30 "$log"; exit 1; }
  cmake --build --preset native -j "$(nproc)" --target padwright padwright-sim >>"$log" 2>&1 ||
    { grep -E 'error' "$log" | head -n 30; exit 1; }
  mkdir -p docs/images
  capture linux-update.png "" update
  # Nothing typed: the recovery starts after its countdowns, as on a handheld without keys.
  capture linux-recovery.png "--cut-transfer" update
}

case "$which" in
  windows) windows_pictures ;;
  linux) linux_pictures ;;
  both) windows_pictures; linux_pictures ;;
  *) echo "usage: $0 [windows|linux]" >&2; exit 2 ;;
esac
