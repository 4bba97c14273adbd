#!/usr/bin/env bash
# g722kit record against a real sound server, as the recorder's end-to-end test runs it: a
# private PulseAudio daemon with a null sink, whose monitor ALSA's "default" capture device
# reaches through ALSA's pulse plugin. The shipped speech is played into the sink while the
# tool records it. Checks what the tool prints, its exit code and the files it leaves, for a
# missing server, --device, a full disk, a recording of --seconds 2, one stopped with SIGINT,
# one stopped with SIGINT while the server is frozen, a server that stops delivering and stays
# frozen, one killed with SIGKILL and one written to stdout through a pipe.
#
#   record_test.sh PATH/TO/g722kit PATH/TO/speech.wav
set -euo pipefail

tool=$1
speech=$2
# shellcheck source=../e2e/sound_server.sh
source "$(dirname "$0")/../e2e/sound_server.sh"
sound_server_workspace g722kit-record

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# What the tool wrote to stderr, less the sanitizer runtime's own warnings about its symbolizer,
# which it may need to match a suppression under load; a sanitizer report is kept.
tool_stderr() {
  grep -v -E '^==[0-9]+==WARNING: (invalid path to external symbolizer|Failed to use and restart external symbolizer)' \
    "$work/stderr" || true
}

# expect NAME EXPECTED ACTUAL
expect() {
  [[ $2 == "$3" ]] || fail "$1: expected '$2', got '$3'"
}

# The folder holds exactly the names given: no temporary file is left behind.
expect_files() {
  expect "files in the folder" "$*" "$(cd "$work/out" && ls -A | tr '\n' ' ' | sed 's/ $//')"
}

# A WAV of 16-bit mono at 8000 Hz with the given seconds, holding speech, not silence.
expect_speech() {
  local info rms
  info=$("$tool" info "$1")
  grep -q "^  sample rate  8000 Hz$" <<<"$info" || fail "$1: $info"
  grep -q "^  frames       $(($2 * 8000))$" <<<"$info" || fail "$1 should hold $2 s: $info"
  rms=$(sox "$1" -n stat 2>&1 | awk '/^RMS +amplitude/ {print $3}')
  awk -v rms="$rms" 'BEGIN {exit !(rms > 0.01)}' || fail "$1 is silent (RMS $rms)"
}

# wait_for_seconds NAME N: up to 10 s for N seconds of audio in NAME, which the recorder
# writes itself.
wait_for_seconds() {
  for _ in $(seq 200); do
    (($(stat -c %s "$1" 2>/dev/null || echo 0) >= 44 + $2 * 16000)) && return
    sleep 0.05
  done
}

# wait_for_exit N: up to N seconds for the recorder to end.
wait_for_exit() {
  for _ in $(seq $(($1 * 10))); do
    kill -0 "$recorder" 2>/dev/null || return 0
    sleep 0.1
  done
  fail "still recording $1 s later"
}

# start_recording NAME N: plays the speech and records it into NAME in the background
# ($recorder), returning once N seconds are in the file.
start_recording() {
  pactl play-sample speech "$sink"
  "$tool" record "$1" >"$work/stdout" 2>"$work/stderr" &
  recorder=$!
  wait_for_seconds "$1" "$2"
}

# finish_recording NAME: waits for the recorder to end; sets $status, its exit code, and
# $seconds, the length its line on stdout gives, at least 2.
finish_recording() {
  status=0
  wait "$recorder" || status=$?
  recorder=""
  seconds=$(sed -n "s/^$1: \([0-9]*\) s of 16-bit mono audio at 8000 Hz\$/\1/p" "$work/stdout")
  ((${seconds:-0} >= 2)) || fail "stdout: $(cat "$work/stdout")"
}

sound_server_env "$work"
mkdir "$work/out"
cd "$work/out"

echo "== no sound server: --check says so"
status=0
"$tool" record --check >"$work/stdout" 2>"$work/stderr" || status=$?
expect "exit code" 6 "$status"
grep -qx "g722kit: cannot record from the audio input: the audio input device could not be opened" \
  "$work/stderr" || fail "stderr: $(cat "$work/stderr")"

echo "== no sound server: exit 6, the existing file kept"
echo keep >kept.wav
status=0
"$tool" record kept.wav --seconds 1 >"$work/stdout" 2>"$work/stderr" || status=$?
expect "exit code" 6 "$status"
expect "stdout" "" "$(cat "$work/stdout")"
grep -qx "g722kit: cannot record from the audio input: the audio input device could not be opened" \
  "$work/stderr" || fail "stderr: $(cat "$work/stderr")"
expect "kept.wav" keep "$(cat kept.wav)"
expect_files kept.wav

echo "== no audio configuration: ALSA's own lines are kept from the user"
status=0
ALSA_CONFIG_PATH=/dev/null "$tool" record --check >"$work/stdout" 2>"$work/stderr" || status=$?
expect "exit code" 6 "$status"
expect "stderr" "g722kit: cannot record from the audio input: the audio input device could not be opened" \
  "$(tool_stderr)"

echo "== start a sound server and play speech into it"
sink=g722kit_cli
started=0
start_sound_server "$work" "$sink" || started=$?
daemon=$sound_server_pid # stopped at exit even if it did not come up
((started == 0)) || fail "the sound server did not start"
pactl upload-sample "$speech" speech
expect "--check" "the audio input opens" "$("$tool" record --check)"

echo "== --seconds 2 over the existing file"
pactl play-sample speech "$sink"
status=0
"$tool" record kept.wav --seconds 2 >"$work/stdout" 2>"$work/stderr" || status=$?
expect "exit code" 0 "$status"
expect "stdout" "kept.wav: 2 s of 16-bit mono audio at 8000 Hz" "$(cat "$work/stdout")"
expect "stderr" "" "$(tool_stderr)"
expect_speech kept.wav 2
expect_files kept.wav

echo "== --device: another ALSA PCM, and one that does not exist"
status=0
"$tool" record --device g722kit-no-such-pcm --check >"$work/stdout" 2>"$work/stderr" || status=$?
expect "exit code" 6 "$status"
expect "stderr" "g722kit: cannot record from the audio input 'g722kit-no-such-pcm': the audio input device could not be opened" \
  "$(tool_stderr)"
pactl play-sample speech "$sink"
status=0
"$tool" record --device pulse pulse.wav --seconds 2 >"$work/stdout" 2>"$work/stderr" || status=$?
expect "exit code" 0 "$status"
expect_speech pulse.wav 2
rm pulse.wav

echo "== a full disk: exit 5, the seconds written kept, the audio system's lines kept away"
pactl play-sample speech "$sink"
status=0
# 40 KiB hold the header and two seconds: the third second's write fails, as does the sound
# server client's sizing of its shared memory.
(
  ulimit -f 40
  "$tool" record full.wav --seconds 5
) >"$work/stdout" 2>"$work/stderr" || status=$?
expect "exit code" 5 "$status"
expect "stdout" "full.wav: 2 s of 16-bit mono audio at 8000 Hz" "$(cat "$work/stdout")"
expect "stderr" "g722kit: cannot write 'full.wav': writing the output file failed; it keeps 2 s" \
  "$(tool_stderr)"
expect_speech full.wav 2
rm full.wav

echo "== stopped with SIGINT after two seconds"
start_recording stopped.wav 2
kill -INT "$recorder"
finish_recording stopped.wav
expect "exit code" 0 "$status"
expect "stderr" "" "$(tool_stderr)"
expect_speech stopped.wav "$seconds"
expect_files "kept.wav stopped.wav"

echo "== stopped with SIGINT while the sound server is frozen: done within a second, the audio kept"
start_recording frozen.wav 2
kill -STOP "$daemon"
kill -INT "$recorder"
wait_for_exit 5 # the stop never returns; the tool waits a second for it (a sanitizer slows its exit)
finish_recording frozen.wav
expect "exit code" 0 "$status"
expect "stderr" "g722kit: warning: the audio input did not stop within a second; frozen.wav keeps the $seconds s recorded" \
  "$(tool_stderr)"
expect_speech frozen.wav "$seconds"
kill -CONT "$daemon"

echo "== a sound server that stops delivering and stays frozen: exit 6 within seconds, the audio kept"
start_recording stalled.wav 2
kill -STOP "$daemon"
wait_for_exit 8 # 3 s after the last second came, a second for the stop, and a sanitizer's exit
kill -CONT "$daemon"
finish_recording stalled.wav
expect "exit code" 6 "$status"
expect "stderr" "g722kit: the audio input stopped delivering after $seconds s; stalled.wav keeps them" \
  "$(tool_stderr)"
expect_speech stalled.wav "$seconds"

echo "== killed with SIGKILL: the file holds every whole second, with a true header"
start_recording killed.wav 3
kill -KILL "$recorder"
{ wait "$recorder"; } 2>/dev/null || true
recorder=""
data=$(od -An -tu4 -j40 -N4 killed.wav | tr -d ' ')
((data % 16000 == 0 && data >= 2 * 16000 && data <= $(stat -c %s killed.wav) - 44)) ||
  fail "killed.wav's header says $data bytes of audio"
expect_speech killed.wav $((data / 16000))
expect_files "frozen.wav kept.wav killed.wav stalled.wav stopped.wav"

echo "== to stdout through a pipe, the summary on stderr"
pactl play-sample speech "$sink"
status=0
"$tool" record - --seconds 2 2>"$work/stderr" | cat >piped.wav || status=$?
expect "exit code" 0 "$status"
expect "stderr" "-: 2 s of 16-bit mono audio at 8000 Hz" "$(tool_stderr)"
expect_speech piped.wav 2
expect_files "frozen.wav kept.wav killed.wav piped.wav stalled.wav stopped.wav"
echo "record: 12 passed, 0 failed"
