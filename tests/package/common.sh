# Sourced by the package checks: what the .deb's and the ZIP's steps share.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Waits up to a minute for the runner that the host process $1 starts, as
# the function named $2 finds it (it prints the runner's process number, or
# nothing), and sets `runner` to its number. When the host ends or the minute
# passes first, the host is ended and the step fails with the host's output
# ($work/configure.txt) and the words $3.
await_runner() {
  local host=$1 find=$2
  runner=""
  for _ in $(seq 600); do
    runner=$("$find")
    [ -n "$runner" ] && return 0
    kill -0 "$host" 2>/dev/null || break
    sleep 0.1
  done
  kill "$host" 2>/dev/null || true
  cat "$work/configure.txt"
  fail "$3"
}
