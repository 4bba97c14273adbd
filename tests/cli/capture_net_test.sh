#!/usr/bin/env bash
# A capture written by encode goes on the wire and comes back through a real capture program:
#   tcpreplay   replays it onto one end of a veth pair, tcpdump records the other end;
#   SIPp        plays it into a call between two SIPp instances over loopback
#               (play_pcap_audio), tcpdump records the loopback;
# in a network namespace of the test's own (unshare: nothing is mounted, nothing outlives it),
# and each recording decodes to exactly the samples of the same codes decoded from a .g722
# file. Skips (exit 77) where a network namespace cannot be made.
#
#   capture_net_test.sh TOOL SPEECH.wav SCENARIO.xml
set -euo pipefail
if [[ ${1:-} != --in-namespace ]]; then
  if ! err=$(unshare --net true 2>&1); then
    echo "SKIP: cannot make a network namespace to capture in: $err"
    exit 77
  fi
  exec unshare --net bash "$0" --in-namespace "$@"
fi
tool=$2
speech=$3
scenario=$4
dir=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$dir"
}
trap cleanup EXIT
cd "$dir"
ip link set lo up

# Starts tcpdump on an interface, writing FILE, and waits until it listens.
record() {
  tcpdump -i "$1" -U -w "$2" udp 2>"$2.log" &
  pids+=($!)
  for _ in $(seq 50); do grep -q listening "$2.log" && return; sleep 0.1; done
  echo "tcpdump did not start: $(cat "$2.log")" >&2
  exit 1
}

# RTP packets (UDP whose payload starts with version 2) in a capture.
rtp_packets() {
  tcpdump -r "$1" 'udp[8] & 0xc0 = 0x80' 2>/dev/null | wc -l
}

# Stops the last tcpdump started once it has recorded as many RTP packets as call.pcap holds
# (or 10 s have passed), and checks that FILE decodes to the reference samples.
check() {
  for _ in $(seq 100); do (($(rtp_packets "$1") >= sent)) && break; sleep 0.1; done
  kill -INT "${pids[-1]}"
  wait "${pids[-1]}" || true
  "$tool" decode -q "$1" "$1.wav"
  if ! cmp -s "$1.wav" reference.wav; then
    echo "$1: decoded samples differ from the encoded input's" >&2
    "$tool" info "$1" >&2
    exit 1
  fi
  echo "$1: $("$tool" info "$1" | sed -n 3p)"
}

"$tool" encode -q "$speech" call.pcap --ptime 20
"$tool" encode -q -w "$speech" call.g722
"$tool" decode -q -w call.g722 reference.wav
sent=$(rtp_packets call.pcap)

ip link add veth0 type veth peer name veth1
ip link set veth0 up
ip link set veth1 up
# A frame sent before the link has its carrier is dropped.
for _ in $(seq 50); do
  ip link show veth0 | grep -q LOWER_UP && ip link show veth1 | grep -q LOWER_UP && break
  sleep 0.1
done
record veth1 replayed.pcap
tcpreplay -q -i veth0 --multiplier 4 call.pcap >/dev/null
check replayed.pcap

record lo played.pcap
sipp -sn uas -i 127.0.0.1 -p 5070 -m 1 -nostdin >/dev/null 2>&1 &
pids+=($!)
timeout 60 sipp 127.0.0.1:5070 -sf "$scenario" -i 127.0.0.1 -p 5080 -m 1 -nostdin -trace_err \
  >sipp.log 2>&1 || { cat sipp.log *_errors.log >&2; exit 1; }
check played.pcap
