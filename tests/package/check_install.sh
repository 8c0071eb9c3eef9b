#!/usr/bin/env bash
# Installs the built Korvu into a staging folder (prefix /usr, as the
# package does) and checks what a packager and a desktop rely on:
#   - every installed file where it belongs, and nothing of the build tree's
#     own layout (help pages or a site file beside the programs);
#   - the site file template empty and readable by every user;
#   - the desktop entry valid and able to open ftp:// and ftps:// links;
#   - the AppStream metadata valid, with the desktop entry it names;
#   - the installed program, on a virtual X server, opening the installed
#     help on F1 and making the user's site file in the user's data folder,
#     never in the installed tree, and answering a link with quick connect.
#
#   check_install.sh CMAKE BUILD_DIR
set -euo pipefail

if [ "${1:-}" = --under-x ]; then
  under_x=yes
  work=$2
else
  under_x=no
  cmake=$1
  build=$2
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
stage=$work/stage
sources=$(cd "$(dirname "$0")/../.." && pwd)
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Waits up to 30 s for a visible window whose title matches and that is
# wider than $2 pixels (the splash, 480 wide, bears the main window's title);
# prints its id.
window_named() {
  local id WIDTH
  for _ in $(seq 60); do
    for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | grep '^WIDTH=')"
      if [ "${WIDTH:-0}" -gt "${2:-0}" ]; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.5
  done
  return 1
}

check_installed_program() {
  local korvu=$stage/usr/bin/korvu
  local template=$stage/usr/share/korvu/korvu.sit
  local before
  before=$(md5sum <"$template")

  "$korvu" &
  local pid=$!
  # F1 is answered from the moment the main window is loaded, splash or not.
  for _ in $(seq 40); do
    xdotool key F1 2>/dev/null || true
    [ -s "$work/opened" ] && break
    sleep 0.5
  done
  local help=file://$stage/usr/share/korvu/help/index.html
  [ "$(head -n 1 "$work/opened" 2>/dev/null)" = "$help" ] ||
    fail "F1 opened \"$(cat "$work/opened" 2>/dev/null)\", not $help"

  # 文件 → 站点管理器, in the main window.
  local main
  if main=$(window_named '^Korvu$' 480); then
    xdotool windowfocus --sync "$main" key alt+f
    sleep 0.5
    xdotool key Return
    window_named '站点管理器' >/dev/null || fail "the site manager did not open"
  else
    fail "no main window"
  fi
  local own=$XDG_DATA_HOME/Korvu/Korvu/korvu.sit
  [ -f "$own" ] || fail "no site file of the user's own at $own"
  [ "$(stat -c %a "$own" 2>/dev/null)" = 600 ] || fail "$own is not owner-only"
  [ "$(md5sum <"$template")" = "$before" ] || fail "the installed site file template was written"
  [ "$(find "$stage" -newer "$work/installed" -print | wc -l)" = 0 ] ||
    fail "files changed in the installed tree: $(find "$stage" -newer "$work/installed")"
  kill "$pid"
  wait "$pid" 2>/dev/null || true

  "$korvu" ftp://alice@127.0.0.1:2121/pub &
  pid=$!
  window_named '快速连接' >/dev/null || fail "a link did not open quick connect"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

if [ "$under_x" = yes ]; then
  check_installed_program
  exit $((failures > 0))
fi

DESTDIR=$stage "$cmake" --install "$build" --prefix /usr >/dev/null
touch "$work/installed"

# Where the install puts things: x a program, f a file with content,
# - nothing (the build tree's layout stays in the build tree).
while read -r kind path; do
  case $kind in
    x) [ -f "$stage/$path" ] && [ -x "$stage/$path" ] || fail "$path: no program there" ;;
    f) [ -s "$stage/$path" ] || fail "$path: missing or empty" ;;
    -) [ ! -e "$stage/$path" ] || fail "$path: installed, but belongs to the build tree" ;;
  esac
done <<'PATHS'
x usr/bin/korvu
x usr/bin/korvu-ftp
f usr/share/korvu/help/index.html
f usr/share/korvu/korvu.sit
f usr/share/applications/korvu.desktop
f usr/share/icons/hicolor/scalable/apps/korvu.svg
f usr/share/metainfo/org.example.korvu.metainfo.xml
f usr/share/man/man1/korvu.1.gz
f usr/share/man/man1/korvu-ftp.1.gz
f usr/share/doc/korvu/copyright
f usr/share/doc/korvu/changelog.gz
- usr/bin/help
- usr/bin/korvu.sit
- usr/bin/korvu-sitedb
PATHS
[ "$(ls "$stage/usr/share/korvu/help")" = "$(ls "$sources/resources/help")" ] ||
  fail "the installed help pages are not those of resources/help"

template=$stage/usr/share/korvu/korvu.sit
[ "$(stat -c %a "$template")" = 644 ] || fail "the site file template is not readable by all"
sites=$(/usr/bin/python3 -c 'import sqlite3, sys
print(sqlite3.connect(sys.argv[1]).execute("SELECT COUNT(*) FROM mysit").fetchone()[0])' "$template") ||
  fail "the site file template is no site file"
[ "${sites:-}" = 0 ] || fail "the site file template holds ${sites:-no} sites"

entry=$stage/usr/share/applications/korvu.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate refused korvu.desktop"
grep -q '^Exec=korvu %u$' "$entry" || fail "the desktop entry passes no link to korvu"
for scheme in ftp ftps; do
  grep -q "^MimeType=.*x-scheme-handler/$scheme;" "$entry" || fail "no $scheme:// links for korvu"
done
appstreamcli validate-tree --no-net "$stage" || fail "appstreamcli refused the installed metadata"

mkdir -p "$work/bin" "$work/home"
cat >"$work/bin/xdg-open" <<OPEN
#!/bin/sh
echo "\$1" >>"$work/opened"
OPEN
chmod +x "$work/bin/xdg-open"
# xvfb-run -a takes the first free display from -n on; a start of its own
# keeps it from racing another xvfb-run for the same one. -noreset: by
# default the X server starts over when its last client leaves, and a
# program started in that moment finds no display (the link check below
# starts Korvu right after the first one was stopped).
PATH=$work/bin:$PATH HOME=$work/home XDG_DATA_HOME=$work/home/.local/share \
  XDG_CONFIG_HOME=$work/home/.config QT_QPA_PLATFORM=xcb \
  xvfb-run -a -n $((100 + RANDOM % 800)) -s '-screen 0 1280x800x24 -noreset' \
  bash "$0" --under-x "$work" || failures=$((failures + 1))

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "installed tree checked"
