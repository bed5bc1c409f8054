#!/usr/bin/env bash
# Runs a command inside a private desktop for tests: an Xvfb display with a window manager and a
# system tray (trayer), and a PulseAudio daemon whose default source is a virtual microphone fed
# through the sink "parlovox_test_sink". Everything started here is stopped on exit, also when the
# command fails.
#   DISPLAY, PULSE_SERVER, XDG_RUNTIME_DIR and PARLOVOX_TEST_SINK are set for the command.
set -uo pipefail

work=$(mktemp -d /tmp/parlovox-testenv.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  [ -n "${PULSE_SERVER:-}" ] && pactl exit >/dev/null 2>&1
  sleep 0.2
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

start_display() {
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -ac >"$work/xvfb.log" 2>&1 3>"$work/display" &
  pids+=($!)
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
  done
  if [ ! -s "$work/display" ]; then
    echo "with-test-env: Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$(head -n1 "$work/display")"
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  pids+=($!)
  # A small tray in the top right corner, where the program's tray icon docks.
  trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
    >"$work/trayer.log" 2>&1 &
  pids+=($!)
}

start_audio() {
  export XDG_RUNTIME_DIR="$work/runtime"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  local socket="$work/pulse.socket"
  cat >"$work/pulse.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$socket
load-module module-null-sink sink_name=parlovox_test_sink rate=16000 channels=1
load-module module-remap-source source_name=parlovox_test_mic master=parlovox_test_sink.monitor
set-default-sink parlovox_test_sink
set-default-source parlovox_test_mic
PA
  HOME="$work" pulseaudio -n -F "$work/pulse.pa" --daemonize=no --exit-idle-time=-1 \
    --disallow-exit=no --use-pid-file=no --system=no >"$work/pulse.log" 2>&1 &
  pids+=($!)
  export PULSE_SERVER="unix:$socket"
  for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.05
  done
  if ! pactl info >/dev/null 2>&1; then
    echo "with-test-env: PulseAudio did not start" >&2
    cat "$work/pulse.log" >&2
    unset PULSE_SERVER
    return 1
  fi
  # Keeps the monitor busy so the virtual microphone runs from the first sample.
  pacat -r --latency-msec=10 -d parlovox_test_sink.monitor >/dev/null 2>&1 &
  pids+=($!)
  export PARLOVOX_TEST_SINK=parlovox_test_sink
  sleep 2
}

start_display || exit 1
start_audio || exit 1
"$@"
