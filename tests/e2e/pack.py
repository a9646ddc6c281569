#!/usr/bin/env python3
"""scripts/pack as a vendor uses it. A product tree with Chinese names and the two programs is
zipped by real tools (Info-ZIP zip on GBK file names, 7-Zip, bsdtar and Python's zipfile with
UTF-8 names); each archive is packed, installed end to end under Wine and compared byte for byte
with the tree under the right names. Then every kind of archive the installer could not install
right is packed once and must be refused with its reason, leaving an earlier installer as it
was and nothing of the attempt behind."""
import argparse
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402  (the Wine prefix, the driver and the installer's controls)

MAIN_PROGRAM, UNINSTALLER = "会计从业资格.exe", "Uninstall.exe"
# 凭证, 露, 图片 and 目录 are GBK bytes that are valid UTF-8 as well.
FOLDERS = ["题库", "资料", "资料/说明", "凭证", "图片"]
RECORDS = {"Uninstall.ini", "Uninstall.log"}
# 200 bytes in GBK, the longest name taken: it fits below the default folder, not below a long one.
LONG_NAME = "资料/" + "n" * 191 + ".txt"
DEFAULT_FOLDER = "C:\\Veltaro\\会计从业资格"
TOO_LONG_MESSAGE = "安装路径太长,软件文件放不下,请选择较短的安装路径!"


def product_files(build):
    """Relative name -> content of the product tree, the two programs being the real ones."""
    programs = os.path.join(build, "installer", "product")
    generator = random.Random(46)
    return {
        MAIN_PROGRAM: open(os.path.join(programs, MAIN_PROGRAM), "rb").read(),
        UNINSTALLER: open(os.path.join(programs, UNINSTALLER), "rb").read(),
        "readme.txt": b"Veltaro\r\n",
        "题库/第一章.dat": bytes(generator.getrandbits(8) for _ in range(150000)),
        "题库/空.txt": b"",
        "资料/说明/读我.txt": "说明文字\r\n".encode("gbk") * 500,
        "凭证/露.txt": b"voucher",
        "图片/目录.txt": b"",
    }


def write_tree(root, files, encode):
    """The tree on disk, each name stored as the bytes `encode` makes of it."""
    for folder in FOLDERS:
        os.makedirs(os.path.join(os.fsencode(root), encode(folder)), exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(os.fsencode(root), encode(name)), "wb") as f:
            f.write(data)


def python_zip(path, files, folders=FOLDERS, **options):
    """What Python's zipfile writes: UTF-8 names flagged as such; folders only where asked."""
    with zipfile.ZipFile(path, "w", options.pop("compression", zipfile.ZIP_DEFLATED)) as archive:
        for folder in folders:
            archive.writestr(folder + "/", b"")
        for name, data in files.items():
            archive.writestr(name, data, **options)
    return path


def made_by_tools(work, files):
    """(tool, archive) for each real tool, from trees as each tool's users have them."""
    gbk_tree, utf8_tree = os.path.join(work, "tree-gbk"), os.path.join(work, "tree-utf8")
    write_tree(gbk_tree, files, lambda name: name.encode("gbk"))
    write_tree(utf8_tree, files, os.fsencode)
    archives = {name: os.path.join(work, name + ".zip") for name in ("infozip", "7zip", "bsdtar", "python")}
    c_locale = dict(os.environ, LANG="C", LC_ALL="C")
    utf8_locale = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")
    subprocess.run(["zip", "-q", "-r", archives["infozip"], "."], cwd=gbk_tree, env=c_locale, check=True)
    subprocess.run(["7z", "a", "-tzip", archives["7zip"], "."], cwd=utf8_tree, env=utf8_locale, check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["bsdtar", "--format", "zip", "-cf", archives["bsdtar"], *sorted(os.listdir(utf8_tree))],
                   cwd=utf8_tree, env=utf8_locale, check=True)
    python_zip(archives["python"], dict(files, **{LONG_NAME: b"long"}))
    return archives


def pack(source, archive, output, cwd=None):
    """Runs scripts/pack (started in cwd); (exit code, what it printed on stderr)."""
    done = subprocess.run(["bash", os.path.join(source, "scripts", "pack"), archive, output], cwd=cwd,
                          capture_output=True, text=True, errors="replace")
    return done.returncode, done.stderr


def check_archive(wine, checker, archive, stamp):
    """Runs the payload check on one archive under Wine; (exit code, what it printed on stderr).
    Its output goes through a file: Wine's background processes may hold a pipe open."""
    windows = lambda path: "Z:" + path.replace("/", "\\")  # noqa: E731  (drive Z: is the root)
    with tempfile.TemporaryFile() as errors:
        code = subprocess.run(["wine", checker, windows(archive), "--stamp", windows(stamp)], env=wine.env,
                              stdout=subprocess.DEVNULL, stderr=errors, timeout=600).returncode
        errors.seek(0)
        return code, errors.read().decode("utf-8", errors="replace")


def carries(installer, archive):
    """True when the installer holds the archive byte for byte behind its length word."""
    with open(archive, "rb") as f:
        expected = f.read()
    with open(installer, "rb") as f:
        image = f.read()
    at = image.find(struct.pack("<II", 1, len(expected)) + expected[:64])
    return at >= 0 and image[at + 8:at + 8 + len(expected)] == expected


def installed_tree(root):
    """Relative name (as characters) -> content, or None for a folder."""
    found = {}
    for folder, dirs, names in os.walk(root):
        relative = os.path.relpath(folder, root)
        if relative != ".":
            found[relative] = None
        for name in names:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                found[os.path.normpath(os.path.join(relative, name))] = f.read()
    return found


def refuse_too_long_folder(wine, run, tool, results):
    """A folder the product's longest name does not fit below is refused; the folder page stays."""
    # Chinese, so that it is set at once: 60 keys typed into the box on a loaded machine can be lost.
    long_part = "长" * 25
    folder = "C:\\pack\\" + long_part  # 58 bytes: above 251 - 1 - 200
    if not run.open_custom_page() or not run.type(e2e.FOLDER_BOX, folder) or not run.press(e2e.INSTALL_BUTTON):
        return
    text = run.box(60)
    results.check(text is not None and TOO_LONG_MESSAGE in text, f"{tool}: a folder too long for its names is refused ({text!r})")
    run.answer(e2e.IDOK)
    results.check(not os.path.exists(os.path.join(wine.prefix, "drive_c", "pack", long_part)),
                  f"{tool}: nothing is written there")


def install_and_compare(wine, installer, tool, files, results, artifacts):
    long_names = tool == "python"
    folder = DEFAULT_FOLDER if long_names else "C:\\pack\\" + tool
    if long_names:
        files = dict(files, **{LONG_NAME: b"long"})
    with e2e.Installer(wine, installer, results, os.path.join(artifacts, tool)) as run:
        if long_names:
            refuse_too_long_folder(wine, run, tool, results)
            typed = run.type(e2e.FOLDER_BOX, folder) and run.press(e2e.INSTALL_BUTTON)
        else:
            typed = e2e.type_folder_and_install(run, folder)
        if not typed:
            return
        results.check(run.wait_finish_page(120), f"{tool}: the installation reaches the finish page")
        e2e.finish_without_starting(run)
    target = wine.unix_path(folder)
    found = installed_tree(target) if os.path.isdir(target) else {}
    expected = dict(files, **{name: None for name in FOLDERS})
    for record in RECORDS:
        results.check(found.pop(record, None) is not None, f"{tool}: {record} is written")
    wrong = sorted(name for name in set(expected) | set(found) if expected.get(name, 0) != found.get(name, 0))
    results.check(not wrong, f"{tool}: the folder holds the product byte for byte under its names"
                  + (f" (differs: {wrong[:6]})" if wrong else ""))


# ---- Archives the installer could not install right ---------------------------------------

def patched(path, old, new):
    """The archive with every occurrence of `old` (a name in both headers) made `new`."""
    with open(path, "rb") as f:
        data = f.read()
    assert data.count(old) >= 2 and len(old) == len(new)
    with open(path, "wb") as f:
        f.write(data.replace(old, new))
    return path


def with_wrong_crc(path, name, central=True):
    """The entry's CRC changed in its local header and (unless not `central`) its central record."""
    with zipfile.ZipFile(path) as archive:
        info = archive.getinfo(name)
    with open(path, "rb") as f:
        data = bytearray(f.read())
    wrong = struct.pack("<I", info.CRC ^ 0x5A5A5A5A)
    data[info.header_offset + 14:info.header_offset + 18] = wrong
    at = data.find(b"PK\x01\x02") if central else -1
    while at >= 0:
        length = struct.unpack_from("<H", data, at + 28)[0]
        if data[at + 46:at + 46 + length] == name.encode():
            data[at + 16:at + 20] = wrong
        at = data.find(b"PK\x01\x02", at + 4)
    with open(path, "wb") as f:
        f.write(data)
    return path


def oversized(path, small):
    """A file larger than the installer carries: a valid archive's head, then a sparse hole."""
    shutil.copy(small, path)
    with open(path, "r+b") as f:
        f.truncate((1 << 30) + 4096)
    return path


def refusal_cases(work, files):
    """(what, archive, words the refusal must contain)."""
    small = {MAIN_PROGRAM: b"MZ main", UNINSTALLER: b"MZ uninstall", "readme.txt": b"text"}
    at = lambda name: os.path.join(work, name)  # noqa: E731
    good = python_zip(at("good.zip"), small, folders=[])
    with open(good, "rb") as f:
        good_bytes = f.read()
    with open(at("not-a-zip.zip"), "wb") as f:
        f.write(b"This is a product description, not an archive.\n" * 10)
    with open(at("truncated.zip"), "wb") as f:
        f.write(good_bytes[:len(good_bytes) // 2])
    with open(at("stub.zip"), "wb") as f:
        f.write(b"MZ" + bytes(4094) + good_bytes)
    zip64 = at("zip64.zip")
    with zipfile.ZipFile(zip64, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in small.items():
            with archive.open(name, "w", force_zip64=True) as entry:
                entry.write(data)
    encrypted = at("encrypted.zip")
    plain = at("plain")
    write_tree(plain, small, lambda name: name.encode("gbk"))  # a right archive but for the password
    subprocess.run(["zip", "-q", "-r", "-P", "secret", encrypted, "."], cwd=plain, check=True,
                   env=dict(os.environ, LANG="C", LC_ALL="C"))
    return [
        ("not a ZIP", at("not-a-zip.zip"), "is not a ZIP archive"),
        ("cut short", at("truncated.zip"), "cut short"),
        ("a stub in front", at("stub.zip"), "does not begin with a local file header at offset 0"),
        ("ZIP64", zip64, "ZIP64"),
        ("larger than 1 GiB", oversized(at("huge.zip"), good), "carries at most 1073741824 bytes"),
        ("encrypted", encrypted, "encrypted"),
        ("bzip2", python_zip(at("bzip2.zip"), small, folders=[], compression=zipfile.ZIP_BZIP2), "bzip2"),
        ("a name that climbs out", python_zip(at("escape.zip"), dict(small, **{"../evil.txt": b"x"}), folders=[]),
         "outside the installation folder"),
        ("a device name", python_zip(at("device.zip"), dict(small, **{"aux.txt": b"x"}), folders=[]), "device name"),
        ("neither GBK nor UTF-8", patched(python_zip(at("not-gbk.zip"), dict(small, **{"badX.txt": b"x"}), folders=[]),
                                          b"badX", b"bad\xff"), "neither valid GBK nor flagged UTF-8"),
        ("UTF-8 without GBK form", python_zip(at("emoji.zip"), dict(small, **{"\U0001F600.txt": b"x"}), folders=[]),
         "GBK"),
        ("UTF-8 names unflagged (Info-ZIP in a UTF-8 locale)", infozip_in_utf8_locale(work, files),
         "UTF-8 without the UTF-8 flag"),
        ("the installer's payload name at the top", python_zip(at("zip-tmp.zip"), dict(small, **{"Zip.Tmp": b"x"}),
                                                              folders=[]), 'entry 3 "Zip.Tmp": the installer writes its own'),
        ("a record's name at the top", python_zip(at("record.zip"), dict(small, **{"uninstall.INI": b"x"}), folders=[]),
         'entry 3 "uninstall.INI": the installer writes its own "Uninstall.ini"'),
        ("a local header with another CRC", with_wrong_crc(python_zip(at("local-crc.zip"), small, folders=[]),
                                                           "readme.txt", central=False),
         'entry 2 "readme.txt": its local header gives another method, CRC-32 or size'),
        ("a file without its folder entry", python_zip(at("no-folder.zip"), dict(small, **{"程序/说明.txt": b"x"}),
                                                       folders=[]), "has no folder entry before it"),
        ("a damaged entry", with_wrong_crc(python_zip(at("crc.zip"), small, folders=[]), "readme.txt"),
         "does not unpack to its recorded size and CRC-32"),
        ("no uninstaller", python_zip(at("no-uninstaller.zip"), {MAIN_PROGRAM: b"MZ"}, folders=[]),
         'no "Uninstall.exe" at its top level'),
    ]


def infozip_in_utf8_locale(work, files):
    tree, archive = os.path.join(work, "tree-utf8"), os.path.join(work, "infozip-utf8.zip")
    subprocess.run(["zip", "-q", "-r", archive, "."], cwd=tree, env=dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8"),
                   check=True)
    return archive


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    options = parser.parse_args()
    build = os.path.abspath(options.build)
    source = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    work = os.path.join(build, "pack-test")
    artifacts = os.path.join(build, "artifacts", "pack")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    results = e2e.Results()
    files = product_files(build)

    print("the default installer carries the generated product unchanged", flush=True)
    results.check(carries(os.path.join(build, "veltaro-setup.exe"), os.path.join(build, "product", "veltaro-product.zip")),
                  "build/veltaro-setup.exe holds build/product/veltaro-product.zip byte for byte")

    wine = e2e.Wine(build, os.path.join(work, "prefix"))
    try:
        wine.boot({})
        for tool, archive in made_by_tools(work, files).items():
            print(f"packing and installing the archive {tool} made", flush=True)
            installer = os.path.join(work, tool + "-setup.exe")
            with open(installer, "wb") as f:
                f.write(b"an installer of an earlier product")  # replaced by the new one
            code, errors = pack(source, os.path.relpath(archive, work), os.path.relpath(installer, work), cwd=work)
            if not results.check(code == 0 and os.path.isfile(installer), f"{tool}: scripts/pack makes the installer"
                                 + ("" if code == 0 else f" (exit {code}: {errors.strip()[-600:]})")):
                continue
            results.check(carries(installer, archive), f"{tool}: the installer carries the archive unchanged")
            install_and_compare(wine, installer, tool, files, results, artifacts)
    finally:
        subprocess.run(["wineserver", "-k"], env=wine.env)

    # What scripts/pack does with a refusal (the reasons relayed, the earlier OUTPUT kept, nothing
    # left) is the same whatever the reason: the first two cases go through it, started in the
    # vendor's own folder with relative names, the others straight through the check it runs,
    # which alone decides (one Wine process each, instead of a build each: that is minutes on an
    # emulated machine).
    cases = refusal_cases(work, files)
    earlier = b"an installer of an earlier product"
    for what, archive, words in cases[:2]:
        print(f"refused: {what}", flush=True)
        with open(os.path.join(work, "refused-setup.exe"), "wb") as f:
            f.write(earlier)
        before = sorted(os.listdir(work))
        code, errors = pack(source, os.path.basename(archive), "refused-setup.exe", cwd=work)
        results.check(code == 1 and "refused: " in errors and words in errors,
                      f"{what}: refused with its reason ({errors.strip().splitlines()[:2]})")
        with open(os.path.join(work, "refused-setup.exe"), "rb") as f:
            results.check(f.read() == earlier, f"{what}: the earlier installer is kept byte for byte")
        left = sorted(set(os.listdir(work)) - set(before)) + [p for p in ("pack/product.zip", "veltaro-pack.exe")
                                                              if os.path.exists(os.path.join(build, p))]
        results.check(not left, f"{what}: nothing of the attempt is left ({left})")
    good = os.path.join(work, "good.zip")
    with open(good, "rb") as f:
        good_bytes = f.read()
    code, errors = pack(source, "good.zip", "./good.zip", cwd=work)
    with open(good, "rb") as f:
        results.check(code == 2 and f.read() == good_bytes,
                      f"packing an archive into itself is refused and leaves it whole (exit {code}: {errors.strip()})")
    checker = os.path.join(build, "installer", "pack", "packcheck.exe")
    stamp = os.path.join(work, "refused.checked")
    try:
        for what, archive, words in cases[2:]:
            print(f"refused: {what}", flush=True)
            code, errors = check_archive(wine, checker, archive, stamp)
            results.check(code == 1 and "refused: " in errors and words in errors,
                          f"{what}: refused by the check with its reason ({errors.strip().splitlines()[:2]})")
            results.check(not os.path.exists(stamp), f"{what}: the check leaves no stamp to build on")
    finally:
        subprocess.run(["wineserver", "-k"], env=wine.env)
    print(f"{results.passed} passed, {results.failed} failed")
    return 0 if results.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
