#!/bin/sh
# install.sh and uninstall.sh of the unpacked release archive, tried in scratch roots
# (DESTDIR): one with a read-only /usr and /etc/atomic-update.conf.d, as on an immutable
# handheld system, one with a writable /usr and no such folder. As root /usr is made read-only
# by a bind mount in a mount namespace of its own; otherwise by its mode. Exit 77: skipped.
#   sh install_test.sh <unpacked folder> <version>
set -u
pkg=$1
version=$2
scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
failures=0

check() {  # check <description> <command...>
  what=$1
  shift
  if ! "$@"; then
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

same_file() { cmp -s "$1" "$2"; }
absent() { [ ! -e "$1" ] && [ ! -L "$1" ]; }
says() { grep -q "$2" "$1"; }

# Root A: read-only /usr, an immutable system's list of kept /etc files.
a=$scratch/a
mkdir -p "$a/usr/local/bin" "$a/etc/atomic-update.conf.d"
echo keep >"$a/usr/local/bin/other"
if [ "$(id -u)" -eq 0 ]; then
  unshare -m sh -c 'mount --bind -o ro "$1/usr" "$1/usr" && DESTDIR="$1" "$2/install.sh"' \
    sh "$a" "$pkg" >"$scratch/a.out" 2>&1
  rc=$?
  if [ "$rc" -ne 0 ] && ! unshare -m true 2>/dev/null; then
    echo "no mount namespace here: skipped"
    exit 77
  fi
else
  chmod -R a-w "$a/usr"
  DESTDIR=$a "$pkg/install.sh" >"$scratch/a.out" 2>&1
  rc=$?
  chmod -R u+w "$a/usr"
fi
cat "$scratch/a.out"
check "install with a read-only /usr succeeds" [ "$rc" -eq 0 ]
check "the program runs from /opt" sh -c "'$a/opt/padwright/bin/padwright' --version | grep -qx 'padwright $version'"
check "no link in the read-only /usr" absent "$a/usr/local/bin/padwright"
check "the read-only /usr is said" says "$scratch/a.out" "/usr/local/bin is not writable"
check "the command to run names /opt" says "$scratch/a.out" "sudo /opt/padwright/bin/padwright update FILE"
check "the udev rule" same_file "$pkg/70-padwright.rules" "$a/etc/udev/rules.d/70-padwright.rules"
check "the rule kept over system updates" \
  sh -c "[ \"\$(cat '$a/etc/atomic-update.conf.d/padwright.conf')\" = /etc/udev/rules.d/70-padwright.rules ]"
check "the manual page" same_file "$pkg/padwright.1" "$a/opt/padwright/share/man/man1/padwright.1"

DESTDIR=$a "$a/opt/padwright/uninstall.sh"
check "uninstall from /opt succeeds" [ $? -eq 0 ]
check "uninstall removes /opt/padwright" absent "$a/opt/padwright"
check "uninstall removes the rule" absent "$a/etc/udev/rules.d/70-padwright.rules"
check "uninstall removes its /etc list" absent "$a/etc/atomic-update.conf.d/padwright.conf"
check "uninstall leaves the rest" same_file "$a/usr/local/bin/other" /dev/stdin <<EOF
keep
EOF

# Root B: writable /usr, no list of kept files; installed twice, as an update would.
b=$scratch/b
mkdir -p "$b"
DESTDIR=$b "$pkg/install.sh" >/dev/null && DESTDIR=$b "$pkg/install.sh" >"$scratch/b.out" 2>&1
check "install into a writable root, twice" [ $? -eq 0 ]
check "the link in /usr/local/bin" sh -c "[ \"\$(readlink '$b/usr/local/bin/padwright')\" = /opt/padwright/bin/padwright ]"
check "no atomic-update folder made" absent "$b/etc/atomic-update.conf.d"
check "the command to run is padwright" says "$scratch/b.out" "sudo padwright update FILE"
DESTDIR=$b "$pkg/uninstall.sh" >/dev/null
check "uninstall removes the link" absent "$b/usr/local/bin/padwright"
check "uninstall removes the man page link" absent "$b/usr/local/share/man/man1/padwright.1"

echo "install_test: $failures failed"
[ "$failures" -eq 0 ]
