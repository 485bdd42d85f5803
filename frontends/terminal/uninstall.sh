#!/bin/sh
# Removes what install.sh put in place: the program's folder /opt/padwright, its links in
# /usr/local (only when they point there), the udev rule and its line in
# /etc/atomic-update.conf.d; then reloads udev. Runs from the unpacked release folder or as
# /opt/padwright/uninstall.sh.
#   sudo ./uninstall.sh
# With DESTDIR=<folder> it removes them from that folder as the root instead.
set -u

root=${DESTDIR:-}
root=${root%/}
prefix=/opt/padwright
rule=/etc/udev/rules.d/70-padwright.rules

if [ -z "$root" ] && [ "$(id -u)" -ne 0 ]; then
  printf 'uninstall.sh: run it as root: sudo %s\n' "$0" >&2
  exit 1
fi

status=0
remove() {
  if [ -e "$1" ] || [ -L "$1" ]; then
    rm -f "$1" || status=1
  fi
}

# A link is ours only when it points into our folder.
unlink_ours() {
  if [ -L "$1" ] && [ "$(readlink "$1")" = "$2" ]; then
    remove "$1"
  fi
}

unlink_ours "$root/usr/local/bin/padwright" "$prefix/bin/padwright"
unlink_ours "$root/usr/local/share/man/man1/padwright.1" "$prefix/share/man/man1/padwright.1"
remove "$root$rule"
remove "$root/etc/atomic-update.conf.d/padwright.conf"
for file in bin/padwright share/man/man1/padwright.1 LICENSE uninstall.sh; do
  remove "$root$prefix/$file"
done
for folder in share/man/man1 share/man share bin ""; do
  [ -d "$root$prefix/$folder" ] && rmdir "$root$prefix/$folder" 2>/dev/null
done

if [ -z "$root" ] && command -v udevadm >/dev/null 2>&1; then
  udevadm control --reload
fi
if [ "$status" -ne 0 ]; then
  echo "uninstall.sh: some files could not be removed (see above)" >&2
  exit 1
fi
echo "padwright removed"
