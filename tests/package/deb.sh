#!/usr/bin/env bash
# The .deb as a user meets it, one step per run (the machine's own package
# database is changed, so the steps run as root and in this order):
#   install                apt-get installs the package; its file list is kept
#   dependencies           the declared dependencies are exactly the packages
#                          whose libraries the installed binaries link
#   binaries               exports, exploit mitigations, no run path into a build tree
#   session                the installed quellan, over the installed library, reads the sample plants
#   configuration_process  `quellan configure` starts the runner beside the
#                          installed library, which loads the dialog module with Qt
#   documentation          the manual page renders without a warning and names every
#                          command of `quellan --help`; the bash completion completes
#                          them; the example configuration runs the sample plants
#   remove                 apt-get purges the package and none of its files is left
# Usage: deb.sh STEP PACKAGE WORK
set -euo pipefail
shopt -s inherit_errexit
step=$1 package=$2 work=$3
name=$(dpkg-deb -f "$package" Package)
listing="$work/installed-files"

source "$(dirname "$0")/common.sh"

# The one installed path that ends in /$1.
installed() {
  local found
  found=$(grep -E "/$1\$" "$listing") || fail "the package installs no $1"
  echo "$found"
}

# The installed ELF files.
installed_binaries() {
  local path
  while read -r path; do
    if [ -f "$path" ] && [ "$(head -c 4 "$path")" = $'\x7fELF' ]; then
      echo "$path"
    fi
  done <"$listing"
}

# The package that holds a library, as the loader found it. With /usr merged,
# dpkg may know the file under /lib or under /usr/lib.
owner_of() {
  local path=$1 candidate
  for candidate in "$path" "/usr$path" "${path#/usr}"; do
    dpkg-query -S "$candidate" 2>/dev/null | head -1 | cut -d: -f1 | grep . && return 0
  done
  fail "no package holds $path"
}

# A machine-wide configuration folder of the test's own, naming the sample
# plants, the second in a surrogate process of its own (or holding a copy of
# the file $1); owned by root and writable by no one else, as a root host requires.
scratch_configuration() {
  local xdg="$work/$step-xdg" fermentation utilities
  fermentation=$(installed Fermentation.so)
  utilities=$(installed Utilities.so)
  rm -rf "$xdg"
  mkdir -p "$xdg/Kalmeno/Quellan"
  if [ $# -gt 0 ]; then
    cp "$1" "$xdg/Kalmeno/Quellan/MultiQuellanConfiguration.xml"
  else
    cat >"$xdg/Kalmeno/Quellan/MultiQuellanConfiguration.xml" <<XML
<?xml version="1.0" ?>
<settings>
    <quellan path="$fermentation" />
    <quellan path="$utilities" isolation="process" />
</settings>
XML
  fi
  chmod 0755 "$xdg" "$xdg/Kalmeno" "$xdg/Kalmeno/Quellan"
  chmod 0644 "$xdg/Kalmeno/Quellan/MultiQuellanConfiguration.xml"
  echo "$xdg"
}

# The installed tool, found on PATH as a user finds it.
quellan_on_path() {
  local tool
  tool=$(command -v quellan) || fail "quellan is not on PATH"
  grep -qxF "$tool" "$listing" || fail "quellan on PATH ($tool) is not the package's"
  echo "$tool"
}

export DEBIAN_FRONTEND=noninteractive
case $step in
  install)
    [ "$(id -u)" = 0 ] || fail "installing a package needs root"
    rm -rf "$work"
    mkdir -p "$work"
    # A package left behind by an earlier run would hide what this one lacks.
    apt-get purge -y -qq "$name" >/dev/null 2>&1 || true
    apt-get install -y -qq --no-install-recommends "$package" >"$work/install.log" 2>&1 \
      || { cat "$work/install.log"; fail "apt-get could not install $package"; }
    dpkg-query -L "$name" >"$listing"
    echo "installed $(wc -l <"$listing") paths"
    ;;

  dependencies)
    declared=$(dpkg-query -W -f='${Depends}' "$name" | tr ',' '\n' | sed -E 's/^ *([^ ]+).*/\1/' | sort -u)
    echo "declared: $(tr '\n' ' ' <<<"$declared")"
    needed=""
    for binary in $(installed_binaries); do
      for soname in $(readelf -d "$binary" | sed -nE 's/.*\(NEEDED\).*\[(.*)\]/\1/p'); do
        # "soname => path", or the path alone for the dynamic loader.
        resolved=$(ldd "$binary" | awk -v so="$soname" '
          $2 == "=>" && $1 == so { print $3 }
          $2 != "=>" { n = split($1, parts, "/"); if (parts[n] == so) print $1 }')
        [ -n "$resolved" ] && [ "$resolved" != "not" ] || fail "$binary needs $soname, which is not found"
        needed+="$(owner_of "$resolved")"$'\n'
      done
    done
    needed=$(sort -u <<<"$needed" | sed '/^$/d')
    echo "needed:   $(tr '\n' ' ' <<<"$needed")"
    for package in $needed; do
      grep -qxF "$package" <<<"$declared" || fail "the package does not declare $package"
    done
    for package in $declared; do
      grep -qxF "$package" <<<"$needed" || fail "the package declares $package, which no binary needs"
    done
    ;;

  binaries)
    library=$(installed MultiQuellan.so)
    cmake -DLIBRARY="$library" -DHEADER="$MQ_HEADER" -DLISTER="$(command -v nm)" -DWINDOWS=OFF \
      -P "$MQ_INTERFACE_CHECKS/CheckExports.cmake"
    tool=$(installed bin/quellan)
    runner=$(installed quellan-rundll)
    dialog=$(installed MultiQuellanDialog.so)
    cmake "-DBINARIES=$tool;$library;$runner;$dialog" \
      -DWINDOWS=OFF -DLISTER="$(command -v readelf)" -DOPTIMISED=ON -P "$MQ_INTERFACE_CHECKS/CheckHardening.cmake"
    for binary in $(installed_binaries); do
      if readelf -d "$binary" | grep -E '\((RPATH|RUNPATH)\)' | grep -vE '\[\$ORIGIN[^]]*\]$'; then
        fail "$binary has a run path outside its own folder"
      fi
    done
    echo "no installed binary has a run path outside its own folder"
    ;;

  session)
    xdg=$(scratch_configuration)
    quellan=$(quellan_on_path)
    export XDG_CONFIG_DIRS="$xdg"
    "$quellan" identity | tee "$work/identity.txt"
    "$quellan" tree >"$work/tree.txt" || fail "quellan tree failed"
    for node in FV-21 "Boiler B-1"; do
      grep -qE "^node +[0-9]+ +$node *\$" "$work/tree.txt" || fail "the tree lacks the sample plants' node $node"
    done
    "$quellan" read FV-21/TT-101.PV "Boiler B-1/TT-10.PV" | tee "$work/read.txt"
    [ "$(grep -cE ' float +-?[0-9.]+ *$' "$work/read.txt")" = 2 ] || fail "the read did not give both plants' values"
    ;;

  configuration_process)
    xdg=$(scratch_configuration)
    quellan=$(quellan_on_path)
    library_folder=$(dirname "$(installed MultiQuellan.so)")
    # The dialog waits for a user who never comes: once the runner shows that
    # it has loaded the dialog module and Qt, it is ended, and the host's call returns.
    XDG_CONFIG_DIRS="$xdg" QT_QPA_PLATFORM=offscreen "$quellan" configure >"$work/configure.txt" 2>&1 &
    host=$!
    # The host's own runner, once it has mapped the dialog module and Qt.
    dialog_runner() {
      for child in $(pgrep -P "$host" || true); do
        [ "$(readlink "/proc/$child/exe")" = "$library_folder/quellan-rundll" ] || continue
        grep -qF "$library_folder/MultiQuellanDialog.so" "/proc/$child/maps" 2>/dev/null || continue
        grep -qF "libQt6Widgets.so" "/proc/$child/maps" 2>/dev/null || continue
        echo "$child"
        return 0
      done
      return 0
    }
    await_runner "$host" dialog_runner "quellan configure did not start $library_folder/quellan-rundll with the dialog module loaded"
    echo "the runner $library_folder/quellan-rundll (process $runner) has loaded MultiQuellanDialog.so and Qt"
    kill "$runner"
    wait "$host" || fail "quellan configure ended with status $?"
    ;;

  documentation)
    quellan=$(quellan_on_path)
    commands=$("$quellan" --help | awk '/^Commands:/ { listed = 1; next } /^$/ { listed = 0 } listed && /^  [^ ]/ { print $1 }')
    [ -n "$commands" ] || fail "quellan --help lists no command"
    # The manual page, as man shows it: groff's warnings on, its bold and
    # underlining (overstrikes or escape sequences) taken off.
    page=$(installed man1/quellan.1.gz)
    zcat "$page" | groff -man -Tutf8 -ww >"$work/quellan.1.txt" 2>"$work/groff.log" || fail "groff cannot render $page"
    [ ! -s "$work/groff.log" ] || { cat "$work/groff.log"; fail "groff warns about $page"; }
    sed -E -e 's/.\x08//g' -e 's/\x1b\[[0-9;]*m//g' "$work/quellan.1.txt" \
      | awk '/^[A-Z]/ { section = $0 } section == "COMMANDS" { print }' >"$work/man-commands.txt"
    for command in $commands; do
      grep -qE "^ +$command( |\$)" "$work/man-commands.txt" || fail "the manual page's COMMANDS lack $command"
    done
    echo "the manual page renders without warnings and names all $(wc -w <<<"$commands") commands"

    # The completion as bash-completion loads it: sourced, then its function
    # called with the words of `quellan ` and of `quellan history --`.
    completion=$(installed bash-completion/completions/quellan)
    complete_words() {
      bash -c 'source "$1" || exit 1
        function=$(complete -p quellan | sed -nE "s/^complete .*-F ([^ ]+) .*quellan\$/\1/p")
        [ -n "$function" ] || exit 1
        shift
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
        "$function"
        printf "%s\n" "${COMPREPLY[@]}"' completion "$completion" "$@" || fail "$completion registers no function for quellan"
    }
    [ "$(complete_words quellan "" | sort)" = "$(sort <<<"$commands")" ] \
      || fail "completing \"quellan \" does not give the commands of quellan --help"
    for option in $("$quellan" help history | sed -n 's/^Usage: //p' | grep -oE -- '--[a-z-]+'); do
      complete_words quellan history -- | grep -qxF -- "$option" || fail "completing \"quellan history --\" lacks $option"
    done
    echo "the completion gives the commands and history's options"

    # The example configuration, as it is installed, is clean to validate and
    # takes both sample plants into the tree (that it sets no value the
    # library ignores is shown by the build's config_file_test).
    example=$(installed examples/MultiQuellanConfiguration.example.xml)
    "$quellan" validate "$example" || fail "quellan validate finds a problem in $example"
    XDG_CONFIG_DIRS=$(scratch_configuration "$example") "$quellan" children | tee "$work/children.txt" \
      || fail "quellan children does not take every child of $example into the tree"
    ;;

  remove)
    [ -f "$listing" ] || fail "the package was never installed"
    apt-get purge -y -qq "$name" >"$work/remove.log" 2>&1 || { cat "$work/remove.log"; fail "apt-get could not remove $name"; }
    left=0
    while read -r path; do
      # Folders such as /usr/bin stay for the other packages that use them.
      if [ -e "$path" ] && ! { [ -d "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1; }; then
        echo "left behind: $path" >&2
        left=$((left + 1))
      fi
    done <"$listing"
    [ "$left" = 0 ] || fail "$left paths of the package are left"
    echo "all $(wc -l <"$listing") paths of the package are gone"
    ;;

  *) fail "unknown step $step" ;;
esac
