#!/usr/bin/env bash
# Runs the suite's main job: the monitoring service and its driver in a scratch data
# directory. With no UPS named, the UPS simulator stands in, and this terminal controls it.
#
#   scripts/run.sh                     a simulated binary-protocol UPS
#   scripts/run.sh --kind text         a simulated text-protocol UPS (or: contact)
#   scripts/run.sh --ups /dev/ttyUSB0  a real UPS on that serial device
#   scripts/run.sh --monview           also start the graphical client beside the service
# With a display, the tray icon (montray) starts too.
set -euo pipefail
cd "$(dirname "$0")/.."

kind=binary
ups=
monview=
while (($#)); do
  case "$1" in
    --kind) kind=$2; shift 2 ;;
    --ups) ups=$2; shift 2 ;;
    --monview) monview=1; shift ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
done

scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
display=${DISPLAY:-}${WAYLAND_DISPLAY:-}
cmake --build build --target monsvc porter upssim monctl sweeper ${monview:+monview} \
  ${display:+montray monview}
data=$(mktemp -d -t gridwatch.XXXXXX)
cp build/bin/* "$data"/
export GRIDWATCH_PORT=${GRIDWATCH_PORT:-8855}
echo "data directory: $data"
echo "client port:    $GRIDWATCH_PORT"
# Started from a desktop, a shutdown closes this desktop's applications (saving into ~/PCTemp),
# not those of whatever session the login manager calls active.
if [[ -n ${DISPLAY:-} ]]; then
  export GRIDWATCH_CLOSER_DISPLAY=$DISPLAY
  echo "closer:         a shutdown closes the applications on $DISPLAY first"
fi

pids=()
cleanup() {
  trap - EXIT INT TERM
  for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  echo "stopped; the logs stay in $data"
}
trap cleanup EXIT INT TERM

# The graphical client, once the service has had a moment to listen.
start_monview() {
  [[ -n $monview ]] || return 0
  if [[ -z ${DISPLAY:-}${WAYLAND_DISPLAY:-} ]]; then
    echo "no display: monview not started"
    return 0
  fi
  (sleep 1; exec "$data/monview") &
  pids+=($!)
}

# The tray icon of this desktop session; it finds the service through the data directory.
start_montray() {
  [[ -n $display ]] || return 0
  "$data/montray" &
  pids+=($!)
}

# The driver is told to use COM1; GRIDWATCH_COM1 says what COM1 is.
printf 'service.media type=2\nservice.media index=1\n' > "$data/policy"
if [[ -n $ups ]]; then
  export GRIDWATCH_COM1=$ups
  echo "UPS on:         $ups"
  "$data/monsvc" &
  pids+=($!)
  start_monview
  start_montray
  wait "${pids[0]}"
  exit 0
fi

link=pty
[[ $kind == contact ]] && link=cable
mkfifo "$data/upssim.in"
"$data/upssim" --kind "$kind" --link "$link" --cable "$data/upssim.cable" \
  --control "$data/upssim.control" --log "$data/upssim.log" \
  < "$data/upssim.in" > "$data/upssim.out" 2>&1 &
pids+=($!)
exec 3> "$data/upssim.in"  # keeps the simulator's input open between commands
for _ in $(seq 50); do [[ -s $data/upssim.out ]] && break; sleep 0.1; done
where=$(head -n 1 "$data/upssim.out")
[[ $where == GRIDWATCH_COM1=* ]] || { echo "the simulator did not start: $where" >&2; exit 1; }
export "${where?}"
echo "simulated UPS:  $kind protocol, $where"
# Against the simulator the machine is never shut down: the request is only announced.
export GRIDWATCH_SHUTDOWN_COMMAND='echo "monsvc: system shutdown requested (simulation: the machine stays up)"'
"$data/monsvc" &
pids+=($!)
start_monview
start_montray
tail -n +2 -f "$data/upssim.out" &
pids+=($!)

cat <<MSG
monsvc is running. Try, in another terminal:
  build/bin/monctl --port $GRIDWATCH_PORT status
  build/bin/monctl --port $GRIDWATCH_PORT log events
Type simulator commands here (help, status, mains fail, mains restore, battery low,
load 85, cable pull, cable plug); Ctrl-C or "quit" ends everything.
MSG
if [[ -t 0 ]]; then
  while kill -0 "${pids[1]}" 2>/dev/null; do
    read -r -t 1 line || { (($? > 128)) && continue; break; }  # time-outs only recheck monsvc
    [[ $line == quit || $line == exit ]] && break
    printf '%s\n' "$line" >&3
  done
  kill -0 "${pids[1]}" 2>/dev/null || echo "monsvc has ended (after a shutdown it does)."
else
  wait "${pids[1]}"
fi
