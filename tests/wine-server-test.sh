#!/bin/sh
# The wine prefix's server stays the same process across wine's idle timeout
# and serves every program started meanwhile, so that no start meets a
# server that is shutting down; and wine's own services, which live as long
# as the server, hold no test's output open, which CTest would wait on.
# Usage: wine-server-test.sh WINE_RUN PREFIX PROGRAM [ARGUMENT...]
wine_run=$1 prefix=$2
shift 2
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
before=$("$wine_run" --server)
[ -n "$before" ] || fail "no wineserver runs for the prefix"
# wine's own server exits three seconds after its last client has gone.
sleep 5
output=$("$wine_run" "$@") || fail "the program failed under wine: $output"
[ -n "$output" ] || fail "the program printed nothing under wine"
after=$("$wine_run" --server)
[ "$after" = "$before" ] || fail "the wineserver was $before and is now '$after'"
echo "wineserver $before served throughout"
# The services work in the prefix's Windows folder; the tests do not.
services=0
for pid in $(pgrep -f '^C:\\windows\\system32\\'); do
  case $(readlink "/proc/$pid/cwd") in "$prefix"/*) ;; *) continue ;; esac
  services=$((services + 1))
  for stream in 1 2; do
    target=$(readlink "/proc/$pid/fd/$stream")
    [ "$target" = /dev/null ] || fail "$(tr '\0' ' ' <"/proc/$pid/cmdline") writes to $target"
  done
done
[ "$services" -gt 0 ] || fail "no wine service runs in the prefix"
echo "$services wine services, none holding a test's output"
