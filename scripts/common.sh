# Shared by scripts/setup, scripts/run, scripts/test and scripts/bench.
# Sourced, not run.

KORVU_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KORVU_BUILD=${KORVU_BUILD:-$KORVU_ROOT/build}

# Debian 12 packages Korvu needs to build, run, test, benchmark and package
# (the last line: the package test's validators, dpkg-shlibdeps and lintian).
KORVU_PACKAGES=(
  g++ cmake ninja-build make pkg-config libssl-dev libssh-dev
  qt6-base-dev libqt6sql6-sqlite libqt6svg6 qt6-qpa-plugins qt6-translations-l10n libicu-dev
  xvfb xauth xdotool imagemagick fonts-wqy-microhei adwaita-icon-theme
  python3 python3-pyftpdlib python3-openssl vsftpd lftp curl openssl ca-certificates
  hyperfine time xdg-utils openssh-client openssh-server python3-asyncssh
  desktop-file-utils appstream dpkg-dev file lintian
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs whatever of KORVU_PACKAGES is missing; does nothing (and needs no
# network) when everything is already there.
ensure_packages() {
  local missing=()
  local p
  for p in "${KORVU_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "korvu: installing ${missing[*]}" >&2
  as_root apt-get update -q
  # Packages must not start services: openssh-server would start a system
  # sshd on port 22 (the tests run their own). A policy-rc.d that refuses
  # every start does that during the install, unless the machine has one.
  local policy=/usr/sbin/policy-rc.d own_policy=
  if [ ! -e "$policy" ]; then
    as_root sh -c "printf '#!/bin/sh\\nexit 101\\n' >$policy && chmod 755 $policy"
    own_policy=1
  fi
  local status=0
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}" || status=$?
  if [ -n "$own_policy" ]; then
    as_root rm -f "$policy"
  fi
  return $status
}

# Configures (once) and builds the tree with Ninja, two jobs at most. An
# existing tree keeps its warnings-as-errors setting unless KORVU_WERROR is
# given: switching it rebuilds everything, so scripts/run after scripts/test
# only builds what changed.
build_korvu() {
  if [ ! -f "$KORVU_BUILD/build.ninja" ]; then
    cmake -S "$KORVU_ROOT" -B "$KORVU_BUILD" -G Ninja -DKORVU_WERROR="${KORVU_WERROR:-OFF}" "$@"
  elif [ -n "${KORVU_WERROR:-}" ] || [ $# -gt 0 ]; then
    cmake "$KORVU_BUILD" ${KORVU_WERROR:+-DKORVU_WERROR="$KORVU_WERROR"} "$@" >/dev/null
  fi
  cmake --build "$KORVU_BUILD" -j 2
}
