#!/usr/bin/env bash
# Checks the Debian package: its contents and permissions, the validators of
# its desktop entry, AppStream metadata and the package itself, and the
# installed programs: notarra-table runs, and the desktop launcher creates the
# three tables on the first start only, leaves them alone afterwards, and
# fails clearly when the data folder cannot be made.
# Usage: tests/packaging/check_package.sh PACKAGE.deb
set -euo pipefail
deb="$(realpath "$1")"
scratch="$(mktemp -d)"
trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# --- contents and permissions ---
listing="$scratch/listing"
dpkg-deb -c "$deb" > "$listing"
expect() {  # mode path
  local line
  line=$(awk -v p="./$2" '$6 == p' "$listing")
  if [ -z "$line" ]; then fail "package lacks $2"; return; fi
  case "$line" in
    "$1 root/root "*) pass "$2 ($1)" ;;
    *) fail "$2 has $(echo "$line" | awk '{print $1, $2}'), expected $1 root/root" ;;
  esac
}
for b in notarra notarra-table notarra-launch; do expect -rwxr-xr-x "usr/bin/$b"; done
for f in share/applications/example.notarra.Notarra.desktop \
         share/metainfo/example.notarra.Notarra.metainfo.xml \
         share/icons/hicolor/scalable/apps/notarra.svg \
         share/man/man1/notarra.1.gz share/man/man1/notarra-table.1.gz share/man/man1/notarra-launch.1.gz \
         share/doc/notarra/copyright share/doc/notarra/changelog.Debian.gz \
         share/notarra/translations/notarra_de.qm; do
  expect -rw-r--r-- "usr/$f"
done
for s in 16 32 48 64 128 256; do expect -rw-r--r-- "usr/share/icons/hicolor/${s}x${s}/apps/notarra.png"; done
if awk '{print $1}' "$listing" | grep -q -E '^.....w|^........w'; then
  fail "group- or world-writable files in the package"
fi

control="$(dpkg-deb -f "$deb" Package Version Depends)"
grep -q '^Package: notarra$' <<<"$control" && pass "package name" || fail "package name: $control"
grep -q 'libqt6widgets6' <<<"$control" && pass "dependencies from the shared libraries" || fail "no Qt dependency: $control"

# --- validators ---
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/example.notarra.Notarra.desktop" \
  && pass "desktop-file-validate" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/example.notarra.Notarra.metainfo.xml" >"$scratch/as" 2>&1 \
  && pass "appstreamcli validate" || { cat "$scratch/as" >&2; fail "appstreamcli validate"; }
lint="$(lintian --suppress-tags initial-upload-closes-no-bugs "$deb" 2>&1 | grep -v 'running with root privileges' || true)"
if grep -q '^E:' <<<"$lint"; then echo "$lint" >&2; fail "lintian reports errors"; else pass "lintian: no errors"; fi
# Built with Debian's hardening (dpkg-buildflags): fortify, relro, bindnow.
hardening="$(lintian --pedantic -I "$deb" 2>&1 | grep 'hardening-' || true)"
[ -z "$hardening" ] && pass "lintian: no hardening notes" || { echo "$hardening" >&2; fail "lintian hardening notes"; }
[ "$(dpkg-deb -f "$deb" Section)" = "database" ] && pass "Section: database" || fail "Section is not database"
[ -n "$lint" ] && echo "$lint"

# --- installed programs ---
bin="$root/usr/bin"
"$bin/notarra-table" --help >"$scratch/help" 2>&1 && grep -q 'notarra-table init' "$scratch/help" \
  && pass "installed notarra-table --help" || fail "installed notarra-table --help"
grep -q "example.notarra.Notarra.desktop" "$root/usr/share/metainfo/example.notarra.Notarra.metainfo.xml" \
  || fail "metainfo does not name the desktop entry"
grep -q '^Exec=notarra-launch$' "$root/usr/share/applications/example.notarra.Notarra.desktop" \
  && pass "desktop entry starts the launcher" || fail "desktop entry does not start notarra-launch"

# The real program needs a display; in its place a stand-in records where it
# was started, so the launcher's own work can be checked.
[ "$(head -c 4 "$bin/notarra" | od -An -c | tr -d " ")" = "177ELF" ] || fail "usr/bin/notarra is not a program"
cat > "$bin/notarra" <<'STUB'
#!/bin/sh
pwd > "$NOTARRA_STARTED_IN"
printf '%s\n' "$@" > "$NOTARRA_STARTED_WITH"
STUB
chmod +x "$bin/notarra"
export NOTARRA_STARTED_IN="$scratch/started-in" NOTARRA_STARTED_WITH="$scratch/started-with"

# Options: --version goes to the program, an unknown one is refused, and
# neither makes a data folder.
fresh="$scratch/fresh"; mkdir -p "$fresh"
HOME="$fresh" XDG_DATA_HOME="$fresh/xdg" "$bin/notarra-launch" --version 2>"$scratch/err" \
  && [ "$(cat "$NOTARRA_STARTED_WITH")" = "--version" ] && [ ! -e "$fresh/xdg" ] \
  && pass "launcher passes --version to the program" || fail "launcher --version"
rm -f "$NOTARRA_STARTED_IN"
status=0
HOME="$fresh" XDG_DATA_HOME="$fresh/xdg" "$bin/notarra-launch" --bogus 2>"$scratch/err" || status=$?
[ $status -eq 2 ] && grep -q "unknown option '--bogus'" "$scratch/err" && [ ! -e "$fresh/xdg" ] \
  && [ ! -e "$NOTARRA_STARTED_IN" ] && pass "launcher refuses an unknown option before making anything" \
  || { cat "$scratch/err" >&2; fail "launcher --bogus: status $status"; }

home="$scratch/home"; mkdir -p "$home"
data="$home/xdg/notarra"
if HOME="$home" XDG_DATA_HOME="$home/xdg" "$bin/notarra-launch" 2>"$scratch/err"; then
  [ "$(cat "$NOTARRA_STARTED_IN")" = "$data" ] && [ "$(tail -n 1 "$NOTARRA_STARTED_WITH")" = "$data" ] \
    && pass "launcher starts notarra on the data folder" \
    || fail "launcher started notarra in $(cat "$NOTARRA_STARTED_IN") with $(cat "$NOTARRA_STARTED_WITH"), expected $data"
  n=0; for t in Blog_Ideas.d group.d User.d; do [ -f "$data/$t" ] && n=$((n + 1)); done
  [ $n -eq 3 ] && pass "first start creates the three tables" || fail "first start made $n of 3 tables"
  "$bin/notarra-table" count "$data/Blog_Ideas.d" >/dev/null && pass "the new idea table opens" || fail "the new idea table does not open"
else
  cat "$scratch/err" >&2; fail "launcher's first start failed"
fi

before="$(cd "$data" && sha256sum Blog_Ideas.d group.d User.d)"
# An idea added by the user must survive later starts.
printf 'Subject\r\nKept idea\r\n' > "$scratch/one.csv"
"$bin/notarra-table" import "$data/Blog_Ideas.d" --csv "$scratch/one.csv" >/dev/null
before="$(cd "$data" && sha256sum Blog_Ideas.d group.d User.d)"
HOME="$home" XDG_DATA_HOME="$home/xdg" "$bin/notarra-launch" 2>"$scratch/err" || { cat "$scratch/err" >&2; fail "second start failed"; }
after="$(cd "$data" && sha256sum Blog_Ideas.d group.d User.d)"
[ "$before" = "$after" ] && pass "second start leaves the tables byte for byte" || fail "second start changed the tables"

# Without XDG_DATA_HOME the folder is ~/.local/share/notarra.
rm -f "$NOTARRA_STARTED_IN"
env -u XDG_DATA_HOME HOME="$home" "$bin/notarra-launch" 2>"$scratch/err" || { cat "$scratch/err" >&2; fail "start without XDG_DATA_HOME failed"; }
[ "$(cat "$NOTARRA_STARTED_IN" 2>/dev/null)" = "$home/.local/share/notarra" ] \
  && pass "default data home ~/.local/share" || fail "default data home not used"

# Only some of the tables: refused, nothing created or started.
rm -f "$NOTARRA_STARTED_IN" "$home/.local/share/notarra/group.d"
if env -u XDG_DATA_HOME HOME="$home" "$bin/notarra-launch" 2>"$scratch/err"; then
  fail "launcher started with a table missing"
else
  grep -q "holds only some of the three tables" "$scratch/err" && [ ! -e "$NOTARRA_STARTED_IN" ] \
    && [ ! -e "$home/.local/share/notarra/group.d" ] && pass "partial data folder refused" \
    || { cat "$scratch/err" >&2; fail "partial data folder: wrong message or side effects"; }
fi

# A data home that cannot hold a folder: a clear error and status 1.
rm -f "$NOTARRA_STARTED_IN"
touch "$scratch/not-a-folder"
status=0
HOME="$home" XDG_DATA_HOME="$scratch/not-a-folder" "$bin/notarra-launch" 2>"$scratch/err" || status=$?
if [ $status -eq 1 ] && grep -q "cannot create the data folder $scratch/not-a-folder/notarra" "$scratch/err" \
   && [ ! -e "$NOTARRA_STARTED_IN" ]; then
  pass "unusable data home: clear error, exit 1"
else
  cat "$scratch/err" >&2; fail "unusable data home: status $status"
fi
if [ "$(id -u)" -ne 0 ]; then  # root writes through permissions
  mkdir -p "$scratch/ro"; chmod 555 "$scratch/ro"
  status=0
  HOME="$home" XDG_DATA_HOME="$scratch/ro" "$bin/notarra-launch" 2>"$scratch/err" || status=$?
  [ $status -eq 1 ] && grep -q "cannot create the data folder" "$scratch/err" \
    && pass "read-only data home: clear error, exit 1" || fail "read-only data home: status $status"
fi

if [ $failures -ne 0 ]; then
  echo "check_package: $failures check(s) failed" >&2
  exit 1
fi
echo "check_package: all checks passed"
