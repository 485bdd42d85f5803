#!/bin/sh
# Installs padwright from this unpacked release folder so that it survives system updates:
# the program under /opt/padwright, a link to it in /usr/local/bin where that is writable,
# the udev rule in /etc/udev/rules.d (listed in /etc/atomic-update.conf.d on systems that
# keep only the /etc files listed there), then udev reloaded.
#   sudo ./install.sh
# With DESTDIR=<folder> it installs into that folder as the root instead (nothing reloaded).
set -u

here=$(cd "$(dirname "$0")" && pwd)
root=${DESTDIR:-}
root=${root%/}
prefix=/opt/padwright
rule=/etc/udev/rules.d/70-padwright.rules

fail() {
  printf 'install.sh: %s\n' "$*" >&2
  exit 1
}

if [ -z "$root" ] && [ "$(id -u)" -ne 0 ]; then
  fail "run it as root: sudo ./install.sh (if sudo asks for a password that was never set, set one first with: passwd)"
fi
for file in padwright padwright.1 70-padwright.rules LICENSE uninstall.sh; do
  [ -f "$here/$file" ] || fail "$file is missing beside install.sh: unpack the whole archive"
done

# The program, its manual page, licence and uninstaller, in one folder of their own.
if ! mkdir -p "$root$prefix/bin" "$root$prefix/share/man/man1" 2>/dev/null; then
  fail "cannot create $prefix (read-only?). padwright also runs from this folder: sudo ./padwright update FILE"
fi
install -m 755 "$here/padwright" "$root$prefix/bin/padwright" &&
  install -m 644 "$here/padwright.1" "$root$prefix/share/man/man1/padwright.1" &&
  install -m 644 "$here/LICENSE" "$root$prefix/LICENSE" &&
  install -m 755 "$here/uninstall.sh" "$root$prefix/uninstall.sh" ||
  fail "cannot write to $prefix"
echo "Installed $prefix/bin/padwright"

# The links on the usual search paths; a read-only /usr leaves the program where it is.
if mkdir -p "$root/usr/local/bin" 2>/dev/null &&
  ln -sfn "$prefix/bin/padwright" "$root/usr/local/bin/padwright" 2>/dev/null; then
  echo "Linked /usr/local/bin/padwright"
  mkdir -p "$root/usr/local/share/man/man1" 2>/dev/null &&
    ln -sfn "$prefix/share/man/man1/padwright.1" "$root/usr/local/share/man/man1/padwright.1" \
      2>/dev/null
  command="padwright"
else
  echo "/usr/local/bin is not writable (a read-only system): run $prefix/bin/padwright, or add $prefix/bin to PATH"
  command="$prefix/bin/padwright"
fi

# The udev rule, and its line in the list of /etc files that system updates keep.
mkdir -p "$root/etc/udev/rules.d" && install -m 644 "$here/70-padwright.rules" "$root$rule" ||
  fail "cannot write $rule"
echo "Installed $rule"
if [ -d "$root/etc/atomic-update.conf.d" ]; then
  printf '%s\n' "$rule" >"$root/etc/atomic-update.conf.d/padwright.conf" ||
    fail "cannot write /etc/atomic-update.conf.d/padwright.conf"
  echo "Listed the rule in /etc/atomic-update.conf.d/padwright.conf, so system updates keep it"
fi

if [ -n "$root" ]; then
  echo "Installed into $root; udev not reloaded"
elif command -v udevadm >/dev/null 2>&1; then
  udevadm control --reload && udevadm trigger --subsystem-match=hidraw --action=change &&
    echo "Reloaded udev"
else
  echo "udevadm not found: the rule applies after the next boot"
fi
echo "Update the controller with: sudo $command update FILE"
