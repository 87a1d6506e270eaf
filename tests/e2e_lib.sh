# Shared by the end-to-end scripts: simulated wands on ports folders of a scratch folder, a
# command's outcome, and checks that count passes and failures.
# Source it with WANDSIM set; finish with `summary`.
set -uo pipefail
scratch=$(mktemp -d)
chmod 755 "$scratch"
sims=()
failures=0
passes=0
name=none status=0 elapsed_ms=0 out="" err=""
# now_ms: the time in milliseconds.
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# wait_until MS COMMAND...: true as soon as the command succeeds, false once MS have passed.
wait_until() {
  local deadline=$(($(now_ms) + $1))
  shift
  until "$@"; do
    (($(now_ms) > deadline)) && return 1
    sleep 0.05
  done
}
# spawn COMMAND...: starts the command in the background as a process group of its own, whose
# id is the command's pid, kept in sims. Stopping the group ends what the command started too:
# a wrapper such as faketime does not exec, so its child would outlive a signal to it alone.
spawn() {
  set -m
  "$@" &
  set +m
  sims+=($!)
}
# stop_sims: ends each simulator started with spawn, whole, and waits for it.
stop_sims() {
  local pid
  for pid in "${sims[@]}"; do
    kill -- -"$pid" 2>/dev/null || kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  sims=()
}
cleanup() {
  stop_sims
  wait 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# at_time TIME COMMAND...: runs the command with its clock started at TIME (faketime's form,
# "@2026-06-10 12:00:00"). The fake clock is preloaded, which AddressSanitizer would otherwise
# refuse.
at_time() {
  local time=$1
  shift
  ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0 faketime -f "$time" "$@"
}

# start_sim NAME [wandsim options]: a wand on COM4 of the ports folder $scratch/NAME, which
# becomes KORVANTA_PORTS; its messages go to $scratch/NAME.sim. With SIM_CLOCK set (a faketime
# start such as "@2026-06-10 12:00:00"), the wand's log is made as of that time.
start_sim() {
  local sim=$1
  shift
  export KORVANTA_PORTS=$scratch/$sim
  local clock=()
  [[ -n ${SIM_CLOCK:-} ]] && clock=(at_time "$SIM_CLOCK")
  spawn "${clock[@]}" "$WANDSIM" --link "$KORVANTA_PORTS/COM4" "$@" >"$scratch/$sim.device" 2>"$scratch/$sim.sim"
  for _ in $(seq 100); do
    [[ -L $KORVANTA_PORTS/COM4 ]] && return 0
    sleep 0.05
  done
  echo "wandsim did not come up for $sim" >&2
  return 1
}

# collect NAME COMMAND...: runs the command; keeps its stdout and stderr ($out, $err, and the
# files $scratch/NAME.out and .err), its exit status and the time it took.
collect() {
  name=$1
  shift
  local start
  start=$(date +%s%N)
  "$@" >"$scratch/$name.out" 2>"$scratch/$name.err"
  status=$?
  elapsed_ms=$((($(date +%s%N) - start) / 1000000))
  out=$(cat "$scratch/$name.out")
  err=$(cat "$scratch/$name.err")
}

# check WHAT COMMAND...: a pass when the command succeeds; else the last outcome is shown.
check() {
  local what=$1
  shift
  if "$@"; then
    passes=$((passes + 1))
  else
    failures=$((failures + 1))
    echo "FAILED: $what (status=$status, ${elapsed_ms}ms)" >&2
    echo "  stdout: $(head -c 300 <<<"$out")" >&2
    echo "  stderr: $(head -c 300 <<<"$err")" >&2
  fi
}

summary() {
  echo "$passes passed, $failures failed"
  ((failures == 0))
}
