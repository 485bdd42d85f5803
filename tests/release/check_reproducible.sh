#!/usr/bin/env bash
# The release archive of a build tree, made again from a copy of the sources in another folder,
# configured, built and packed at another time (faketime, 400 days on), has the same bytes.
# Only what the archive holds is built again. Also: the archive's entries are in name order,
# owned by 0/0 without names and all of the commit's time; no binary in it names a folder of
# either build; the exe's header has time stamp 0 and no debug directory; the debug files kept
# in the build folders are the same too; SHA256SUMS made for the first archive verifies the
# second with `sha256sum -c`.
#   bash check_reproducible.sh <source dir> <build tree> <archive file name> <cmake> <cpack>
#        <cmake options of the build tree...>
set -uo pipefail
src=$1
tree=$2
archive=$3
cmake=$4
cpack=$5
shift 5
say() { echo "FAILED: $*"; failures=$((failures + 1)); }
failures=0

if ! command -v faketime >/dev/null; then
  echo "FAILED: faketime is missing (bash scripts/install-deps.sh installs it)"
  exit 1
fi
scratch=$tree/reproducible
rm -rf "$scratch"
other=$scratch/another/checkout/of/padwright
mkdir -p "$other" "$scratch/a" "$scratch/b"
tar -C "$src" --exclude=./build --exclude=./.git -cf - . | tar -C "$other" -xf - || exit 1

# The time expected in the archive: the commit's, or the fixed one outside git.
expected=315532800
if [ "$(git -C "$src" rev-parse --show-toplevel 2>/dev/null)" = "$(realpath "$src")" ]; then
  expected=$(git -C "$src" log -1 --format=%ct)
fi
# No signing and no time from outside: the first pack finds the commit's time by itself.
unset PADWRIGHT_SIGN_PKCS12 PADWRIGHT_SIGN_PKCS11_MODULE SOURCE_DATE_EPOCH
"$cpack" --config "$tree/CPackConfig.cmake" -B "$scratch/a" >"$scratch/a.log" 2>&1 ||
  { cat "$scratch/a.log"; exit 1; }
if [[ $archive == *.zip ]] && ! grep -q 'padwright.exe: unsigned, no certificate' "$scratch/a.log"
then
  say "an unsigned exe is not said to be unsigned"
fi

later=(faketime -f +400d)
b_build=$scratch/b-build
(cd "$other" && "${later[@]}" "$cmake" -S . -B "$b_build" "$@" -DPADWRIGHT_TESTS=OFF \
  -DPADWRIGHT_BENCHMARKS=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON &&
  "${later[@]}" "$cmake" --build "$b_build" --target padwright -j "$(nproc)" &&
  SOURCE_DATE_EPOCH=$expected "${later[@]}" "$cpack" --config "$b_build/CPackConfig.cmake" \
    -B "$scratch/b") >"$scratch/b.log" 2>&1 || { tail -n 40 "$scratch/b.log"; exit 1; }

a=$scratch/a/$archive
b=$scratch/b/$archive
for side in a b; do
  mkdir -p "$scratch/$side/unpacked"
  (cd "$scratch/$side/unpacked" && "$cmake" -E tar xf "../$archive") ||
    say "cannot unpack $side/$archive"
done
if ! cmp -s "$a" "$b"; then
  say "the two archives differ: $(sha256sum "$a" "$b" | cut -c1-16 | tr '\n' ' ')"
  diff -r "$scratch/a/unpacked" "$scratch/b/unpacked"
fi

# Entries in name order, 0/0 by number, the expected time.
names=$("$cmake" -E tar tf "$a")
LC_ALL=C sort -c <<<"$names" || say "entries not in name order:"$'\n'"$names"
if [[ $archive == *.zip ]]; then
  [ "$(TZ=UTC zipinfo -T "$a" | awk '/^[-d]/ { print $7 }' | sort -u)" = \
    "$(TZ=UTC date -d @$(((expected + 1) / 2 * 2)) +%Y%m%d.%H%M%S)" ] ||
    say "not every entry of the zip has the time $expected"
  ! zipinfo -v "$a" | grep -q 'Unix UID/GID' || say "the zip names its builder's user"
else
  [ "$(TZ=UTC tar -tvzf "$a" --full-time | awk '{ print $2, $4, $5 }' | sort -u)" = \
    "0/0 $(TZ=UTC date -d @"$expected" '+%Y-%m-%d %H:%M:%S')" ] ||
    say "not every entry of the tarball is 0/0 with the time $expected"
fi

# The binaries: no folder of either build in them; the exe's header.
for bin in "$scratch"/a/unpacked/*/padwright "$scratch"/a/unpacked/*/padwright.exe; do
  [ -f "$bin" ] || continue
  for folder in "$(realpath "$src")" "$(realpath "$tree")" "$other" "$b_build"; do
    # Also as a symbol's name made of it (dlltool's, for one): every other character a _.
    ! grep -q -a -F -e "$folder/" -e "${folder//[^a-zA-Z0-9]/_}_" "$bin" ||
      say "$(basename "$bin") names $folder"
  done
  other_bin=$scratch/b/unpacked/${bin#"$scratch/a/unpacked/"}
  cmp -s "$bin" "$other_bin" || say "$(basename "$bin") differs between the builds"
  if [[ $bin == *.exe ]]; then
    u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
    pe=$(u32 "$bin" 60)
    stamp=$(u32 "$bin" $((pe + 8)))
    [ "$stamp" = 0 ] || say "the exe's header has a time stamp: $stamp"
    # Data directory 6 of the PE32+ optional header: the debug directory's address and size.
    [ "$(u32 "$bin" $((pe + 24 + 112 + 48)))$(u32 "$bin" $((pe + 24 + 112 + 52)))" = 00 ] ||
      say "the exe has a debug directory"
  fi
done

# The debug information that the builds keep apart (the programs' links hold its CRC): the
# same bytes as well, naming no folder of either build.
for debug in "$tree"/bin/padwright.debug "$tree"/bin/padwright.exe.debug; do
  [ -f "$debug" ] || continue
  cmp -s "$debug" "$b_build/bin/$(basename "$debug")" ||
    say "$(basename "$debug") differs between the builds"
  for folder in "$(realpath "$src")" "$(realpath "$tree")" "$other" "$b_build"; do
    ! grep -q -a -F -e "$folder/" "$debug" || say "$(basename "$debug") names $folder"
  done
done

# A rebuild checks against the published checksums.
version=$(sed -E 's/^padwright-([0-9.]+)-.*/\1/' <<<"$archive")
bash "$src/scripts/release-sums.sh" "$scratch/a" "$version" >/dev/null &&
  cp "$scratch/a/SHA256SUMS" "$scratch/b/" && (cd "$scratch/b" && sha256sum -c SHA256SUMS) ||
  say "SHA256SUMS of the first archive does not verify the second"

echo "check_reproducible: $failures failed (sha256 $(sha256sum <"$b" | cut -c1-64))"
[ "$failures" -eq 0 ] && rm -rf "$scratch"
[ "$failures" -eq 0 ]
