#!/usr/bin/env bash
# Builds the .deb from a build folder (the normal one by default), installs it, checks the
# menu entries, icons and metadata, and starts each installed program once on the offscreen
# platform with a fresh home: its settings and log must appear in the user's data directory
# and nothing beside the executables. Removes the package again at the end. Needs root.
#   tests/package/install_test.sh [build folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
dir="${1:-build}"

if [[ $(id -u) -ne 0 ]]; then
  echo "package test: skipped (installing a package needs root)"
  exit 0
fi

fail() {
  echo "package test: FAILED: $*" >&2
  exit 1
}

deb="$("$root/scripts/package" "$dir")"
[[ -f $deb ]] || fail "no package built"
echo "package test: installing $deb"
dpkg-deb --field "$deb" Depends
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -q --no-install-recommends "$deb" >/dev/null

home="$(mktemp -d)"
pid=""
cleanup() {
  [[ -n $pid ]] && kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$home"
  dpkg -r corvatta >/dev/null 2>&1 || true
}
trap cleanup EXIT

for app in Corvatta Tickwell; do
  id="org.corvatta.$app"
  [[ -x /usr/bin/$app ]] || fail "/usr/bin/$app missing"
  desktop-file-validate "/usr/share/applications/$id.desktop" || fail "$id.desktop invalid"
  [[ -f /usr/share/icons/hicolor/scalable/apps/$id.svg ]] || fail "$id.svg missing"
  for size in 16 24 32 48 64 128 256; do
    [[ -f /usr/share/icons/hicolor/${size}x${size}/apps/$id.png ]] || fail "$id ${size}px missing"
  done
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "/usr/share/metainfo/$id.metainfo.xml" >/dev/null ||
      fail "$id.metainfo.xml invalid"
  fi
  "/usr/bin/$app" --version | grep -q "^$app " || fail "$app --version"
done

# Starts an installed program, waits until `file` appears in its data directory, then ends
# it as a logout does (SIGTERM), which closes its windows and saves their settings.
run_once() {
  local app="$1" file="$2"
  before=""
  HOME="$home" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen \
    "/usr/bin/$app" >"$home/$app.out" 2>&1 &
  pid=$!
  for _ in $(seq 1 150); do
    [[ -f $home/data/$app/$file ]] && break
    sleep 0.2
  done
  [[ -f $home/data/$app/$file ]] || fail "$app made no $file in its data directory"
  sleep 1
  before="$(stat -c '%i %y' "$home/data/$app/$file")"
  kill -TERM "$pid"
  local status=0
  wait "$pid" || status=$?
  pid=""
  [[ $status -eq 0 ]] || { cat "$home/$app.out"; fail "$app ended with $status on SIGTERM"; }
}

run_once Corvatta S5.log
[[ -f $home/data/Corvatta/Corvattaini.ini ]] || fail "Corvatta saved no settings at close"
grep -q '^MyCall=S5' "$home/data/Corvatta/Corvattaini.ini" || fail "Corvattaini.ini incomplete"

run_once Tickwell Tickwellini.ini
[[ -f $home/data/Tickwell/Whoosh.wav ]] || fail "Tickwell's sound was not copied"
[[ $(stat -c '%i %y' "$home/data/Tickwell/Tickwellini.ini") != "$before" ]] ||
  fail "Tickwell did not write its position at close"
grep -q '^COLOR=' "$home/data/Tickwell/Tickwellini.ini" || fail "Tickwellini.ini lost its keys"

for f in Corvattaini.ini Corvatta.ini S5.log Tickwellini.ini; do
  [[ ! -e /usr/bin/$f ]] || fail "/usr/bin/$f written beside the executable"
done
echo "package test: passed ($(basename "$deb"))"
