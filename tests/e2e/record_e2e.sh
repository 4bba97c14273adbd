#!/usr/bin/env bash
# End-to-end recording test with a real sound server: a private PulseAudio daemon with a null
# sink, whose monitor is the default capture source. The library reaches it through ALSA's pulse
# plugin on Linux, and through Wine's PulseAudio driver for the Windows build. Speech from
# espeak-ng is played into the sink while record_e2e records it through the library. The daemon
# runs in a temporary folder and is started and stopped here, by PID.
#
#   record_e2e.sh [--phase-per-process] COMMAND...
#
# COMMAND runs record_e2e: its path, after an emulator such as wine if needed. With
# --phase-per-process the recording without a server runs in a process of its own, before the
# one that asks for the server: for an audio stack that looks for devices once per process.
set -euo pipefail

phase_per_process=false
if [[ $1 == --phase-per-process ]]; then
  phase_per_process=true
  shift
fi
program=("$@")
# shellcheck source=sound_server.sh
source "$(dirname "$0")/sound_server.sh"
sound_server_workspace g722kit-e2e

# Waits up to 30 s for a file to appear.
wait_for() {
  for _ in $(seq 1500); do
    [[ -e $1 ]] && return 0
    sleep 0.02
  done
  echo "timed out waiting for $1" >&2
  return 1
}

sound_server_env "$work"

sink=g722kit_e2e
espeak-ng -w "$work/speech22k.wav" \
  "Recording speech from the audio input, one second at a time, into a wave file. \
   Seven quick brown foxes jump over the lazy dog while the sound server keeps running. \
   Every second of this sentence should reach the file in the order it was spoken."
sox "$work/speech22k.wav" -r 8000 -c 1 -b 16 -e signed-integer -t raw "$work/speech.raw"
sox -r 8000 -c 1 -b 16 -e signed-integer -t raw "$work/speech.raw" "$work/speech.wav"

if $phase_per_process; then
  "${program[@]}" "$work" "$work/speech.raw" no-server
  "${program[@]}" "$work" "$work/speech.raw" server &
else
  "${program[@]}" "$work" "$work/speech.raw" &
fi
recorder=$!

wait_for "$work/server.wanted"
started=0
start_sound_server "$work" "$sink" || started=$?
daemon=$sound_server_pid # stopped at exit even if it did not come up
((started == 0))
# The server plays the speech from its own memory: a client that streamed it could fall
# behind on a busy machine and leave gaps of silence in the sink.
pactl upload-sample "$work/speech.wav" speech
pactl play-sample speech "$sink"
touch "$work/server.up"

wait_for "$work/kill.wanted"
kill -KILL "$daemon"
wait "$daemon" || true
daemon=""
touch "$work/server.gone"

status=0
wait "$recorder" || status=$?
recorder=""
exit "$status"
