#!/usr/bin/env bash
# Checks the Debian package as a Debian user receives it: builds it
# (scripts/package.sh), lets lintian look for errors, unpacks it into a
# temporary root and checks what lands where: the programs, the menu entry
# (validated, passing the file, with the window's class) and metainfo
# (validated), the icons at their sizes, the manual pages, the bash
# completion, the udev rule, the samples, and a post-install step that
# survives a missing or failing udevadm.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(bash scripts/package.sh | tail -n 1)
echo "package-check: $deb"

lintian --fail-on error "$deb" | tee build-package/lintian.log
echo "package-check: lintian: $(grep -c '^E:' build-package/lintian.log || true) errors," \
     "$(grep -c '^W:' build-package/lintian.log || true) warnings"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root/files"
dpkg-deb -e "$deb" "$root/control"

fail() { echo "package-check: $*" >&2; exit 1; }
app_id=org.quillmar.Quillmar
for f in usr/bin/Quillmar \
         usr/share/man/man1/Quillmar.1.gz \
         usr/lib/udev/rules.d/70-quillmar.rules \
         usr/share/applications/$app_id.desktop \
         usr/share/metainfo/$app_id.metainfo.xml \
         usr/share/doc/quillmar/copyright \
         usr/share/doc/quillmar/README.md \
         usr/share/doc/quillmar/changelog.gz; do
  [ -f "$root/files/$f" ] || fail "missing /$f"
done
cmp udev/70-quillmar.rules "$root/files/usr/lib/udev/rules.d/70-quillmar.rules" || fail "udev rule differs"
for sample in examples/*; do
  cmp "$sample" "$root/files/usr/share/doc/quillmar/$sample" || fail "sample $sample differs"
done
for size in 16 22 24 32 48 64 128 256; do
  png=$root/files/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png
  file "$png" | grep -q "PNG image data, $size x $size," || fail "icon $png is not a $size x $size PNG"
done

desktop=$root/files/usr/share/applications/$app_id.desktop
desktop-file-validate "$desktop"
# The entry hands the program the file it is opened with, and docks match
# the window (its class is the program's name) to the entry's icon.
grep -qx 'Exec=Quillmar %f' "$desktop" || fail "the menu entry does not pass the file (%f)"
grep -qx 'StartupWMClass=Quillmar' "$desktop" || fail "the menu entry lacks StartupWMClass=Quillmar"
appstreamcli validate --no-net "$root/files/usr/share/metainfo/$app_id.metainfo.xml"

# The post-install step goes on where udevadm is missing or fails.
mkdir -p "$root/nudev" "$root/bad"
printf '#!/bin/sh\nexit 1\n' >"$root/bad/udevadm"
chmod +x "$root/bad/udevadm"
PATH="$root/nudev" /bin/sh "$root/control/postinst" configure || fail "postinst fails without udevadm"
PATH="$root/bad:/usr/bin:/bin" /bin/sh "$root/control/postinst" configure || fail "postinst fails when udevadm fails"

# The unpacked command-line tool programs an emulated VQ7170 with the packaged
# sample and reads the same bytes back in a second run.
cli=$root/files/usr/bin/quillmar-cli
[ -x "$cli" ] || fail "missing /usr/bin/quillmar-cli"
[ -f "$root/files/usr/share/man/man1/quillmar-cli.1.gz" ] || fail "missing the manual page of quillmar-cli"
completion=$root/files/usr/share/bash-completion/completions/quillmar-cli
[ -f "$completion" ] || fail "missing /usr/share/bash-completion/completions/quillmar-cli"
cmp cli/quillmar-cli.bash-completion "$completion" || fail "the bash completion differs"
# Sourced by bash, it completes the packaged program's commands.
offered=$(bash --norc --noprofile -c 'source "$1"; COMP_WORDS=("$2" ve); COMP_CWORD=1; _quillmar_cli "$2" ve quillmar-cli
  printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$cli")
[ "$offered" = verify ] || fail "the bash completion offers '$offered' for 've', not 'verify'"
chip="vq7170:file=$root/chip.mem"
QUILLMAR_EMULATE=$chip "$cli" download "$root/files/usr/share/doc/quillmar/examples/vq7170.hex" --chip vq7170 --quiet \
  || fail "quillmar-cli download failed"
QUILLMAR_EMULATE=$chip "$cli" read --chip vq7170 --length 74 -o "$root/back.bin" --quiet || fail "quillmar-cli read failed"
[ "$(stat -c %s "$root/back.bin")" = 116 ] || fail "quillmar-cli read back $(stat -c %s "$root/back.bin") bytes, not 116"
QUILLMAR_EMULATE= "$cli" info "$root/back.bin" --chip vq7170 | grep -q '^checksums: hold$' \
  || fail "the image read back by quillmar-cli has bad checksums"

echo "package-check: passed"
