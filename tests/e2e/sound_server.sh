# Sourced by the tests that record from a real sound server: a private PulseAudio daemon whose
# files all live in one work folder, with a null sink whose monitor is the default source.
# ALSA's "default" capture device reaches it through ALSA's pulse plugin.

# sound_server_workspace NAME: makes the run's work folder, $work, and ends the processes
# whose PIDs the test puts in $recorder and $daemon, and removes the folder, when the script
# exits.
sound_server_workspace() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
  daemon=""
  recorder=""
  trap sound_server_cleanup EXIT
}

sound_server_cleanup() {
  for pid in $recorder $daemon; do
    kill -CONT "$pid" 2>/dev/null || true # a test may have frozen it
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}

# sound_server_env WORK: every client of the daemon finds it through these variables, and
# nothing is written outside WORK. A sound card of this machine must not stand in for a
# missing server.
sound_server_env() {
  local work=$1
  mkdir -m 700 "$work/run"
  export HOME=$work
  export XDG_RUNTIME_DIR=$work/run
  export PULSE_RUNTIME_PATH=$work/run/pulse
  export PULSE_SERVER=unix:$work/run/pulse/native
  export PULSE_COOKIE=$work/cookie
  export ALSA_CARD=g722kit-no-such-card
}

# start_sound_server WORK SINK: starts the daemon as a background job of this shell, with a
# null sink SINK at 8000 samples/s, sets sound_server_pid and returns once the server answers
# with SINK's monitor as its default source.
start_sound_server() {
  local work=$1 sink=$2
  pulseaudio --daemonize=no --exit-idle-time=-1 --system=false -n --disallow-exit \
    --use-pid-file=no --log-target="file:$work/pulseaudio.log" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$work/run/pulse/native" \
    -L "module-null-sink sink_name=$sink rate=8000 channels=1 format=s16le" &
  sound_server_pid=$!
  for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  pactl info | grep -q "Default Source: $sink.monitor"
}
