#!/usr/bin/env bash
# What scripts/install-deps.sh does when a package mirror is out of step with itself: it
# retries the lists, goes on with the lists it has, and settles the version of each library
# that must be the same for 64-bit and 32-bit x86 ("Multi-Arch: same") where the two
# architectures' lists disagree. Sourced, not run.

# apt_update_retrying TRIES PAUSE: apt-get update, tried TRIES times with PAUSE seconds
# between tries. When some lists still cannot be fetched it names them in one line and
# goes on with the lists it has; it fails only when apt-get update fails for another reason.
apt_update_retrying() {
  local tries=$1 pause=$2 try output failed
  for ((try = 1; try <= tries; try++)); do
    if output=$(apt-get update -qq 2>&1) && ! grep -q '^E: ' <<<"$output"; then
      return 0
    fi
    [ "$try" -lt "$tries" ] && sleep "$pause"
  done
  failed=$(failed_lists <<<"$output")
  if [ -z "$failed" ]; then
    printf '%s\n' "$output" >&2
    return 1
  fi
  echo "NOTE: apt-get update could not fetch ${failed} after ${tries} tries; going on with the lists it has"
}

# failed_lists: the lists that apt-get update's output (on standard input) says it could not
# fetch, as "suite/component/binary-ARCH", separated by ", ".
failed_lists() {
  sed -n 's|^E: Failed to fetch [^ ]*/dists/\([^ ]*\)/Packages[^ ]* .*|\1|p' | paste -sd ',' - |
    sed 's/,/, /g'
}

# pick_pair_versions: reads `apt-cache policy NAME:amd64 NAME:i386 ...` for each library of
# a pair (the native block may be headed "NAME:" without its architecture) and prints one
# line "NAME INSTALLED VERSION" for each installed amd64 library whose two architectures'
# candidates differ: apt takes only candidates, and may take the amd64 one while it installs
# the i386 one, so the pair must be given one version. VERSION is the installed one when
# i386 can download it too, else the newest both architectures can download, "-" when they
# have none in common.
pick_pair_versions() {
  awk '
    function flush() {
      if (name == "") return
      if (arch == "i386") { candI[name] = cand; listI[name] = versions }
      else { candA[name] = cand; inst[name] = installed; listA[name] = versions; order[++n] = name }
      name = ""
    }
    /^[^ ].*:$/ {
      flush()
      name = substr($0, 1, length($0) - 1)
      arch = "amd64"
      if (name ~ /:i386$/) { arch = "i386"; sub(/:i386$/, "", name) }
      sub(/:amd64$/, "", name)
      versions = " "; version = ""
      next
    }
    $1 == "Installed:" { installed = $2; next }
    $1 == "Candidate:" { cand = $2; next }
    $1 == "Version" && $2 == "table:" { next }
    # A version line: "     VERSION PRIORITY", or " *** VERSION PRIORITY" for the installed one.
    /^ (\*\*\*| ) +[^ ]+ -?[0-9]+$/ { version = ($1 == "***") ? $2 : $1; next }
    # A source of that version; the dpkg status file is no source to download from.
    /^ +-?[0-9]+ / {
      if (version != "" && $2 != "/var/lib/dpkg/status" && index(versions, " " version " ") == 0)
        versions = versions version " "
      next
    }
    END {
      flush()
      for (i = 1; i <= n; i++) {
        p = order[i]
        if (!(p in candI)) continue
        # Where the candidates agree apt settles the pair itself; a library only the 32-bit
        # side needs has no twin to match.
        if (candI[p] == candA[p] || inst[p] == "(none)") continue
        # The installed version where i386 has it too, so that what was built against it
        # stays; else the newest both have.
        target = "-"
        if (index(listI[p], " " inst[p] " ") > 0) target = inst[p]
        split(substr(listI[p], 2), wanted, " ")
        for (j = 1; (j in wanted) && target == "-"; j++)
          if (index(listA[p], " " wanted[j] " ") > 0) target = wanted[j]
        print p, inst[p], target
      }
    }'
}

# multiarch_same_names NAME:i386...: those of the packages named that are "Multi-Arch: same",
# without their architecture.
multiarch_same_names() {
  apt-cache show --no-all-versions "$@" 2>/dev/null |
    awk '/^Package: / { p = $2 } /^Multi-Arch: same$/ { print p }' | sort -u
}

# dependency_closure PACKAGE...: every package the packages depend on, themselves included,
# as apt-cache names them (NAME or NAME:i386).
dependency_closure() {
  apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
    --no-replaces --no-enhances "$@" 2>/dev/null | grep -v '^ ' | grep -v '^<' | sort -u
}

# settle_pairs I386_PACKAGE...: the "pkg:amd64=V pkg:i386=V" arguments that settle every
# library pair the 32-bit packages named need, each move said in one line on standard error.
# Prints nothing when nothing needs settling.
settle_pairs() {
  local closure names name installed target
  mapfile -t closure < <(dependency_closure "$@" | grep ':i386$')
  [ ${#closure[@]} -gt 0 ] || return 0
  mapfile -t names < <(multiarch_same_names "${closure[@]}")
  [ ${#names[@]} -gt 0 ] || return 0
  local queries=()
  for name in "${names[@]}"; do queries+=("$name:amd64" "$name:i386"); done
  while read -r name installed target; do
    if [ "$target" = - ]; then
      echo "NOTE: $name has no version that both amd64 and i386 can download" >&2
      continue
    fi
    [ "$target" = "$installed" ] ||
      echo "NOTE: $name moves from $installed to $target for amd64 and i386, the version both have" >&2
    printf '%s\n' "$name:amd64=$target" "$name:i386=$target"
  done < <(apt-cache policy "${queries[@]}" | pick_pair_versions)
}

# settle_install I386_PACKAGE...: the arguments for apt-get install that install the 32-bit
# packages named where their libraries' two architectures disagree: each pair settled, and
# each installed package that holds to its library's exact version (its -dev package, say),
# which apt would otherwise remove, moved with it. Each move is said on standard error.
settle_install() {
  local pins extras removed name version
  mapfile -t pins < <(settle_pairs "$@")
  extras=()
  for _ in 1 2 3; do
    mapfile -t removed < <(apt-get install -s --allow-downgrades --no-install-recommends \
      "${pins[@]}" "${extras[@]}" "$@" 2>/dev/null | sed -n 's/^Remv \([^ ]*\) .*/\1/p')
    [ ${#removed[@]} -gt 0 ] || break
    for name in "${removed[@]}"; do
      version=$(sibling_version "$name" "${pins[@]}")
      echo "NOTE: $name moves ${version:+to $version }with a library it holds to" >&2
      extras+=("$name${version:+=$version}")
    done
  done
  printf '%s\n' "${pins[@]}" "${extras[@]}"
}

# sibling_version NAME PIN...: the version of a pin (NAME=VERSION) that NAME can download
# too, or nothing: packages built from one source share its version.
sibling_version() {
  local name=$1 pin
  shift
  local available
  available=" $(apt-cache policy "$name" | awk '/^ (\*\*\*| ) +[^ ]+ -?[0-9]+$/ { v = ($1 == "***") ? $2 : $1 }
    /^ +-?[0-9]+ / && $2 != "/var/lib/dpkg/status" { print v }' | sort -u | paste -sd ' ' -) "
  for pin in "$@"; do
    if [[ $available == *" ${pin#*=} "* ]]; then
      echo "${pin#*=}"
      return
    fi
  done
}
