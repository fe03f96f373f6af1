#!/usr/bin/env bash
# Makes the fuzz targets' seed corpus in fuzz/corpus/<target>/ with the
# project's own tools: containers of every version and level made by jmz,
# compressed-only files, small Windows programs with and without a package,
# and short samples of the other readers' inputs. Run it again after a format
# change; the result is kept small (well under 1 MiB).
set -euo pipefail
cd "$(dirname "$0")/.."

jmz=${JMZ:-build/native/cli/jmz}
if [ ! -x "$jmz" ]; then
  cmake --preset native >/dev/null
  cmake --build --preset native --target jmz -j2 >/dev/null
fi
jmz=$(realpath "$jmz")
key='种子密钥seed'   # the key the targets decrypt with
corpus=$PWD/fuzz/corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
le64() { le32 $(($1 & 4294967295)); le32 $((($1 >> 32) & 4294967295)); }
zeros() { head -c "$1" /dev/zero; }
# Sample text of n bytes, cut from the README.
readme=$PWD/README.md
sample() { head -c "$1" "$readme"; }

fresh() { rm -rf "$corpus/$1"; mkdir -p "$corpus/$1"; echo "$corpus/$1"; }

# A Windows program of 1,024 bytes: one section whose raw data ends the file.
# $1 = 32 for PE32, 64 for PE32+.
program() {
  local magic=0x10b optional=224 count_at=92
  [ "$1" = 64 ] && magic=0x20b optional=240 count_at=108
  {
    printf 'MZ'; zeros 58; le32 0x40
    printf 'PE\0\0'; le16 0x14c; le16 1; le32 0; le32 0; le32 0; le16 $optional; le16 0x102
    le16 $magic; zeros $((count_at - 2)); le32 16; zeros 128
    printf '.text\0\0\0'; le32 0x200; le32 0x1000; le32 0x200; le32 0x200; zeros 16
  } > "$work/head.bin"
  cat "$work/head.bin"
  zeros $((0x200 - $(stat -c %s "$work/head.bin")))
  sample 512
}

# The package header: carried size, name length, name padded with dots.
package_header() {
  local size=$1 name=$2
  le64 "$size"; le16 ${#name} | head -c 1; printf '%s' "$name"
  head -c $((216 - ${#name})) /dev/zero | tr '\0' '.'
}

cd "$work"
# Sizes around the reader's boundaries: header at 0, retried at 260, at 260.
sizes=(100 2000 6000)
i=0
for v in 66 56 38 18 11; do
  for level in 0 1 2 3; do
    n=${sizes[$((i % 3))]}
    sample "$n" > "v$v-l$level.txt"
    "$jmz" encrypt -k "$key" --level "$level" --format-version "$v" -o . "v$v-l$level.txt" >/dev/null
    i=$((i + 1))
  done
done
for v in 38 30 20; do
  for n in 100 3000; do
    sample "$n" > "nk$v-$n.txt"
    "$jmz" nokey-encrypt -k "$key" --format-version "$v" -o . "nk$v-$n.txt" >/dev/null
    mv "nk$v-$n.txt.jmz" "nk$v-$n.nokey"
  done
done
for level in 1 2 3; do
  sample 4000 > "z$level.txt"
  "$jmz" encrypt --level "$level" -o . "z$level.txt" </dev/null >/dev/null
done
# A container of two layers.
"$jmz" encrypt -k "$key" --old-key "$key" -o . v66-l0.jmz >/dev/null
mv v66-l0.jmz.jmz two-layers.jmz 2>/dev/null || mv "$(ls -t *.jmz | head -n 1)" two-layers.jmz

d=$(fresh fuzz_decrypt_job); cp v*.jmz two-layers.jmz z1.txt.zak "$d"/
d=$(fresh fuzz_reencryption); cp v66-l0.jmz v38-l2.jmz v11-l1.jmz two-layers.jmz nk38-100.nokey "$d"/; sample 300 > "$d/plain.txt"
d=$(fresh fuzz_info); cp v66-l1.jmz v18-l0.jmz v56-l3.jmz nk30-100.nokey z2.txt.zak "$d"/; sample 50 > "$d/plain.txt"
d=$(fresh fuzz_nokey_decrypt); cp nk*.nokey "$d"/
d=$(fresh fuzz_zak); cp z*.txt.zak "$d"/
d=$(fresh fuzz_round_trip)
for f in 0 1 2 3 4 5 6 7; do { printf "\\x$(printf %02x $((f + 8 * f)))"; le32 $((12345 + f)); printf '\x0b\x41'; sample 12; sample $((40 + 400 * f)); } > "$d/case$f"; done

d=$(fresh fuzz_image_length); program 32 > "$d/pe32.exe"; program 64 > "$d/pe64.exe"
d=$(fresh fuzz_package)
program 32 > "$d/program.exe"
for c in v66-l0.jmz v11-l2.jmz; do
  { program 64; package_header "$(stat -c %s "$c")" "s.txt"; cat "$c"; } > "$d/package-$c.exe"
done
cp v38-l2.jmz "$d"/

d=$(fresh fuzz_key_file)
printf 'key' > "$d/short.txt"; printf '%s\r\nline two\nthree\r' "$key" > "$d/lines.txt"
printf 'ab\0cd' > "$d/zero.txt"; sample 2100 > "$d/long.txt"
d=$(fresh fuzz_command_line)
printf '/ysl2\0/PBMY\0Color$FF00\0<<<<\0C:\\a b.txt' > "$d/switches"; printf 'color-12\0/nomd5\0/ztmy' > "$d/colour"
d=$(fresh fuzz_offset_format)
for f in '-!10:0x|' '8%2!10:|h' 'R%4!A:|' 'C%!8:[|]'; do { printf '\x04\x02\x01'; le64 123456789; printf '%s' "$f"; } > "$d/$(printf '%s' "$f" | md5sum | head -c 8)"; done
d=$(fresh fuzz_update_settings)
printf '[xcwjjm]\r\nVersion=42600\r\nxcjmUP=\r\nxcjwy=1\r\nxcjmzy=127.0.0.1/home\r\nxcjmbzy="http://127.0.0.1/help"\r\n[ORB]\r\nORB1=notice one\r\nORB3=three\r\n' > "$d/full.ini"
printf '[ORB]\nORB2=two\nORB5=five\nORB6=six\n[xcwjjm]\nversion=$A000\n' > "$d/notices.ini"

du -sh "$corpus"
