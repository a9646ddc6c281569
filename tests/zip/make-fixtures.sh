#!/usr/bin/env bash
# Makes the archives that the ZIP tests unpack under Wine and compare with Info-ZIP's unzip
# (bsdtar for the product, whose GBK names this unzip cannot convert):
# archives written here by the real tools (zip, Python's zipfile, 7-Zip, bsdtar), archives
# shipped in Debian packages, and the small product archive. Each is unpacked with unzip into
# expected/NAME; archives.txt lists NAME and whether Unpack must give the same tree ("same") or
# fail ("fails": a file whose folder has no entry of its own).
#   make-fixtures.sh OUT_DIR PRODUCT_SMALL_ZIP
set -euo pipefail
out=$1
product=$2
rm -rf "$out"
mkdir -p "$out/archives" "$out/expected" "$out/source"
src=$out/source

# A small tree with text, binary, empty and multi-piece files in nested folders.
/usr/bin/python3 - "$src" <<'PY'
import os, random, sys
root = sys.argv[1]
for folder in ("docs/deep/deeper", "bin", "empty folder"):
    os.makedirs(os.path.join(root, folder), exist_ok=True)
generator = random.Random(20161229)
files = {
    "readme.txt": b"plain text\r\nsecond line\r\n",
    "docs/empty.txt": b"",
    "bin/random.bin": bytes(generator.getrandbits(8) for _ in range(300000)),
    "docs/deep/numbers.txt": "".join("%d\n" % i for i in range(1, 60001)).encode(),
    "docs/deep/deeper/repeat.txt": b"the same line again and again\n" * 2400,
    "docs/with spaces.txt": b"name with spaces",
}
for name, data in files.items():
    with open(os.path.join(root, name), "wb") as f:
        f.write(data)
PY

(cd "$src" && zip -q -r "$out/archives/infozip.zip" .)
(cd "$src" && zip -q -r -0 -X "$out/archives/infozip-stored.zip" .)
(cd "$src" && 7z a -tzip -mx=5 "$out/archives/7zip.zip" * >/dev/null)
(cd "$src" && bsdtar --format zip -cf "$out/archives/bsdtar.zip" *)
/usr/bin/python3 - "$src" "$out/archives/python.zip" <<'PY'
import os, sys, zipfile
root, target = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as archive:
    for folder, dirs, files in sorted(os.walk(root)):
        dirs.sort()
        relative = os.path.relpath(folder, root)
        if relative != ".":
            archive.write(folder, relative + "/")
        for name in sorted(files):
            path = os.path.join(folder, name)
            kind = zipfile.ZIP_STORED if name.endswith(".txt") and os.path.getsize(path) < 100 else zipfile.ZIP_DEFLATED
            archive.write(path, os.path.relpath(path, root), compress_type=kind)
PY

# Archives that Debian ships: jars from several builders, and a wheel without folder entries.
for shipped in /usr/share/java/commons-io.jar /usr/share/java/guava.jar \
               /usr/share/java/plexus-interpolation.jar /usr/share/java/plexus-classworlds.jar \
               /usr/share/python-wheels/pip-*.whl; do
  [ -f "$shipped" ] || continue
  cp -L "$shipped" "$out/archives/$(basename "$shipped")"
done
cp "$product" "$out/archives/product-small.zip"

: > "$out/archives.txt"
for archive in "$out/archives"/*; do
  name=$(basename "$archive")
  mkdir -p "$out/expected/$name"
  if [ "$name" = product-small.zip ]; then
    # GBK names: this unzip cannot convert them, bsdtar can.
    bsdtar --options zip:hdrcharset=GBK -xf "$archive" -C "$out/expected/$name"
  else
    unzip -q -o "$archive" -d "$out/expected/$name"
  fi
  verdict=$(/usr/bin/python3 - "$archive" <<'PY'
import sys, zipfile
seen = set()
for info in zipfile.ZipFile(sys.argv[1]).infolist():
    parts = info.filename.rstrip("/").split("/")
    if any("/".join(parts[:k]) + "/" not in seen for k in range(1, len(parts))):
        print("fails"); break
    if info.filename.endswith("/"):
        seen.add(info.filename)
else:
    print("same")
PY
)
  echo "$name $verdict" >> "$out/archives.txt"
done
rm -rf "$src"
