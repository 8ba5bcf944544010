#!/usr/bin/env bash
# Measures how long tintrix takes from start until its window is shown, and how much memory it
# holds once idle, under Xvfb with openbox. Prints every run and the medians.
#
#   measure_startup.sh TINTRIX [RUNS]      (RUNS defaults to 5)
#
# Each run starts from a fresh home folder. "Shown" is the moment `xdotool search
# --onlyvisible` first finds the mapped main window, polled every few milliseconds; the
# resident memory is VmRSS from /proc/PID/status after one second without input.
set -euo pipefail

if [[ $# -lt 1 ]]; then
  echo "usage: $0 TINTRIX [RUNS]" >&2
  exit 2
fi
tintrix=$(realpath "$1")
runs=${2:-5}
for tool in Xvfb openbox xdotool xev xprop; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 77; }
done

work=$(mktemp -d -t tintrix-measure-XXXXXX)
pids=()  # Xvfb and openbox
app=""   # the tintrix of the current run
cleanup() {
  local pid
  for pid in $app "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in $app "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display and writes its number once it accepts connections.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 500); do [[ -s $work/display ]] && break; sleep 0.01; done
[[ -s $work/display ]] || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
export DISPLAY
unset WAYLAND_DISPLAY SESSION_MANAGER
export QT_QPA_PLATFORM=xcb DBUS_SESSION_BUS_ADDRESS=disabled:

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
# Openbox may drop a window mapped while it starts; map probe windows until it manages one.
managed=""
for _ in $(seq 30); do
  xev -name tintrix-measure-probe -geometry 16x16+0+0 >/dev/null 2>&1 &
  probe=$!
  for _ in $(seq 50); do
    # xdotool fails while the probe does not exist yet; that is what the loop waits out.
    id=$(xdotool search --name '^tintrix-measure-probe$' 2>/dev/null | head -1 || true)
    if [[ -n $id ]] && xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$id")\b"; then
      managed=yes
      break
    fi
    sleep 0.02
  done
  kill "$probe" 2>/dev/null || true
  wait "$probe" 2>/dev/null || true
  [[ -n $managed ]] && break
done
[[ -n $managed ]] || { echo "openbox did not start" >&2; exit 1; }

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

times=()
rss=()
for run in $(seq "$runs"); do
  home="$work/home$run"
  mkdir -p "$home/.config" "$work/runtime$run"
  chmod 700 "$work/runtime$run"
  start=$(date +%s%N)
  HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$work/runtime$run \
    "$tintrix" >"$work/tintrix$run.log" 2>&1 &
  app=$!
  shown=""
  for _ in $(seq 2000); do
    if xdotool search --onlyvisible --name '^Tintrix 1\.0$' >/dev/null 2>&1; then
      shown=$(date +%s%N)
      break
    fi
    kill -0 "$app" 2>/dev/null || { echo "tintrix ended early:" >&2; cat "$work/tintrix$run.log" >&2; exit 1; }
    sleep 0.002
  done
  [[ -n $shown ]] || { echo "the window was not shown" >&2; exit 1; }
  sleep 1
  kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$app/status")
  ms=$(( (shown - start) / 1000000 ))
  printf 'run %d: shown after %d ms, resident %d KiB\n' "$run" "$ms" "$kb"
  times+=("$ms")
  rss+=("$kb")
  kill "$app"
  wait "$app" 2>/dev/null || true
  app=""
done

printf 'median of %d runs: shown after %s ms, resident %s KiB (%.1f MiB)\n' "$runs" \
  "$(printf '%s\n' "${times[@]}" | median)" "$(printf '%s\n' "${rss[@]}" | median)" \
  "$(printf '%s\n' "${rss[@]}" | median | awk '{ print $1 / 1024 }')"
