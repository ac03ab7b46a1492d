#!/usr/bin/env bash
# The Windows ZIP as a user meets it, one step per run:
#   unpack    a fresh wine prefix, the ZIP unpacked into its Program Files
#   binaries  the unpacked binaries import system DLLs only, export the
#             interface and keep the exploit mitigations
#   session   the unpacked quellan.exe, over the MultiQuellan.dll beside it,
#             reads the unpacked sample plants named in the prefix's
#             all-users data folder, then the 32-bit one alone
#   configuration_process
#             `quellan.exe configure` starts rundll32 with the unpacked library
#   stop      the prefix's wineserver, which the unpacking started, ended
# Usage: zip.sh STEP PACKAGE WORK (MQ_WINE_RUN names the wine runner, whose
# prefix lies in WORK)
set -euo pipefail
shopt -s inherit_errexit
step=$1 package=$2 work=$3
prefix="$work/wineprefix"
programs="$prefix/drive_c/Program Files"

source "$(dirname "$0")/common.sh"

# The folder the ZIP unpacked into: its one top-level folder.
unpacked() {
  local folders=("$programs"/multiquellan-*)
  [ ${#folders[@]} = 1 ] && [ -d "${folders[0]}" ] || fail "the ZIP has no single top-level folder"
  echo "${folders[0]}"
}

# A file of the unpacked package, which must be there.
unpacked_file() {
  local path
  path="$(unpacked)/$1"
  [ -f "$path" ] || fail "the package has no $1"
  echo "$path"
}

# The folder as Windows names it, and the tool run by that name, as a user runs it.
windows_folder() {
  echo "C:\\Program Files\\$(basename "$(unpacked)")"
}
quellan() {
  unpacked_file quellan.exe >/dev/null
  "$MQ_WINE_RUN" "$(windows_folder)\\quellan.exe" "$@"
}

case $step in
  unpack)
    # A server that an interrupted run left on the old prefix ends with it.
    [ -d "$prefix" ] && "$MQ_WINE_RUN" --stop
    rm -rf "$work"
    mkdir -p "$work"
    "$MQ_WINE_RUN" --prepare || fail "wine could not make the prefix $prefix"
    mkdir -p "$programs"
    (cd "$programs" && cmake -E tar xf "$package") || fail "the ZIP does not unpack"
    (cd "$(unpacked)" && find . -type f | sort)
    ;;

  binaries)
    objdump=$(command -v x86_64-w64-mingw32-objdump) || fail "x86_64-w64-mingw32-objdump is not installed"
    library=$(unpacked_file MultiQuellan.dll)
    tool=$(unpacked_file quellan.exe)
    mapfile -t binaries < <(find "$(unpacked)" -type f -iname '*.dll' -o -type f -iname '*.exe')
    cmake "-DBINARIES=$(IFS=';'; echo "${binaries[*]}")" -DLISTER="$objdump" -P "$MQ_INTERFACE_CHECKS/CheckImports.cmake"
    cmake -DLIBRARY="$library" -DHEADER="$MQ_HEADER" -DLISTER="$objdump" -DWINDOWS=ON \
      -P "$MQ_INTERFACE_CHECKS/CheckExports.cmake"
    cmake "-DBINARIES=$library;$tool" -DWINDOWS=ON -DLISTER="$objdump" -DOPTIMISED=ON \
      -P "$MQ_INTERFACE_CHECKS/CheckHardening.cmake"
    ;;

  session)
    unpacked_file MultiQuellan.dll >/dev/null
    unpacked_file include/quellan2.h >/dev/null
    unpacked_file README.txt >/dev/null
    unpacked_file examples/MultiQuellanConfiguration.example.xml >/dev/null
    windows_folder=$(windows_folder)
    data="$prefix/drive_c/ProgramData/Kalmeno/Quellan"
    mkdir -p "$data"
    {
      printf '<?xml version="1.0" ?>\r\n<settings>\r\n'
      # The second plant runs in a surrogate process of its own.
      isolation=""
      for plant in Fermentation Utilities; do
        unpacked_file "samples/$plant.dll" >/dev/null
        unpacked_file "samples/$plant.sim" >/dev/null
        printf '    <quellan path="%s\\samples\\%s.dll"%s />\r\n' "$windows_folder" "$plant" "$isolation"
        isolation=' isolation="process"'
      done
      printf '</settings>\r\n'
    } >"$data/MultiQuellanConfiguration.xml"
    quellan identity | tee "$work/identity.txt"
    quellan tree | tr -d '\r' >"$work/tree.txt" || fail "quellan.exe tree failed"
    for node in FV-21 "Boiler B-1"; do
      grep -qE "^node +[0-9]+ +$node *\$" "$work/tree.txt" || fail "the tree lacks the sample plants' node $node"
    done
    quellan read FV-21/TT-101.PV "Boiler B-1/TT-10.PV" | tr -d '\r' | tee "$work/read.txt"
    [ "$(grep -cE ' float +-?[0-9.]+ *$' "$work/read.txt")" = 2 ] || fail "the read did not give both plants' values"
    # The 32-bit utilities plant, which quellan-surrogate32.exe serves though
    # the file does not ask for isolation.
    unpacked_file quellan-surrogate32.exe >/dev/null
    unpacked_file samples/Utilities32.sim >/dev/null
    unpacked_file samples/Utilities32.dll >/dev/null
    printf '<?xml version="1.0" ?>\r\n<settings>\r\n    <quellan path="%s\\samples\\Utilities32.dll" />\r\n</settings>\r\n' \
      "$windows_folder" >"$data/MultiQuellanConfiguration.xml"
    quellan children | tr -d '\r' | tee "$work/children32.txt"
    grep -q '32-bit, served in quellan-surrogate32.exe' "$work/children32.txt" \
      || fail "quellan children does not say that the 32-bit plant is served in quellan-surrogate32.exe"
    quellan read "Boiler B-1/TT-10.PV" | tr -d '\r' | tee "$work/read32.txt"
    grep -qE ' float +-?[0-9.]+ *$' "$work/read32.txt" || fail "the read did not give the 32-bit plant's value"
    ;;

  configuration_process)
    library=$(unpacked_file MultiQuellan.dll)
    # The dialog waits for a user who never comes: once rundll32 has loaded
    # the unpacked library for its configuration entry (named by its short
    # path, so found by what it maps), it is ended, and the host's call returns.
    unpacked_file quellan.exe >/dev/null
    # Started directly, not through the function, so that $! is the tool's process.
    "$MQ_WINE_RUN" "$(windows_folder)\\quellan.exe" configure >"$work/configure.txt" 2>&1 &
    host=$!
    # rundll32 running the configuration, once it has mapped the unpacked library.
    library_runner() {
      for process in $(pgrep -f 'rundll32\.exe .*,UpdateConfiguration' || true); do
        grep -qF "$library" "/proc/$process/maps" 2>/dev/null && { echo "$process"; return 0; }
      done
      return 0
    }
    await_runner "$host" library_runner "quellan.exe configure did not start rundll32 with the unpacked MultiQuellan.dll"
    echo "rundll32 (process $runner) runs: $(tr '\0' ' ' <"/proc/$runner/cmdline")"
    kill "$runner"
    wait "$host" || fail "quellan.exe configure ended with status $?"
    ;;

  stop)
    "$MQ_WINE_RUN" --stop
    [ -z "$("$MQ_WINE_RUN" --server)" ] || fail "the prefix's wineserver still runs"
    ;;

  *) fail "unknown step $step" ;;
esac
