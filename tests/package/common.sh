# Sourced by the package checks: what the .deb's and the ZIP's steps share.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Waits up to a minute for the runner that the host process $1 starts, as
# the function named $2 finds it (it prints the runner's process number, or
# nothing); prints the number, or nothing when the host ended or the minute
# passed without one.
await_runner() {
  local host=$1 find=$2 runner
  for _ in $(seq 600); do
    runner=$("$find")
    [ -n "$runner" ] && { echo "$runner"; return 0; }
    kill -0 "$host" 2>/dev/null || return 0
    sleep 0.1
  done
}
