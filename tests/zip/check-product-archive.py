#!/usr/bin/python3
"""Checks the product archives that productzip writes, with the central directory and local
headers read byte by byte, and with unzip and bsdtar as outside readers.

    check-product-archive.py PRODUCTZIP WORK_FOLDER
"""
import os
import shutil
import struct
import subprocess
import sys
import unittest
import zipfile
import zlib

TOOL, WORK = sys.argv[1], sys.argv[2]
MAIN_NAME = "会计从业资格.exe".encode("gbk")
FIRST_DAY, LAST_DAY = (2015, 3, 13), (2016, 12, 29)


def run_tool(*arguments):
    return subprocess.run([TOOL, *arguments], capture_output=True, text=True)


def make(name, *arguments):
    path = os.path.join(WORK, name)
    result = run_tool("--out", path, *arguments)
    if result.returncode != 0:
        raise AssertionError(result.stderr)
    return path


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def write_bytes(path, data):
    with open(path, "wb") as f:
        f.write(data)


def extra_blocks(extra):
    blocks, at = {}, 0
    while at + 4 <= len(extra):
        block_id, size = struct.unpack_from("<HH", extra, at)
        blocks[block_id] = extra[at + 4:at + 4 + size]
        at += 4 + size
    return blocks


def read_entries(path):
    """Central records with their local headers, in central-directory order."""
    data = read_bytes(path)
    end = data.rfind(b"PK\x05\x06")
    (_, disk, disk_cd, on_disk, total, cd_size, cd_offset, comment) = struct.unpack_from("<IHHHHIIH", data, end)
    entries, at = [], cd_offset
    for _ in range(total):
        fields = struct.unpack_from("<IHHHHHHIIIHHHHHII", data, at)
        (signature, made_by, needed, flags, method, time, date, crc, packed, size,
         name_len, extra_len, comment_len, disk_start, internal, external, local) = fields
        name = data[at + 46:at + 46 + name_len]
        extra = data[at + 46 + name_len:at + 46 + name_len + extra_len]
        local_fields = struct.unpack_from("<IHHHHHIIIHH", data, local)
        local_name = data[local + 30:local + 30 + local_fields[9]]
        local_extra = data[local + 30 + local_fields[9]:local + 30 + local_fields[9] + local_fields[10]]
        entries.append(dict(signature=signature, made_by=made_by, needed=needed, flags=flags, method=method,
                            time=time, date=date, crc=crc, packed=packed, size=size, name=name, extra=extra,
                            comment_len=comment_len, disk_start=disk_start, external=external, local=local,
                            local_fields=local_fields, local_name=local_name, local_extra=local_extra))
        at += 46 + name_len + extra_len + comment_len
    return dict(data=data, end=end, disk=disk, disk_cd=disk_cd, on_disk=on_disk, total=total,
                cd_size=cd_size, cd_offset=cd_offset, comment=comment, entries=entries)


class ArchiveChecks:
    """Checks that hold for both sizes."""
    path = None

    @classmethod
    def setUpClass(cls):
        cls.archive = read_entries(cls.path)
        cls.entries = cls.archive["entries"]

    def test_one_disk_no_comment_no_zip64(self):
        a = self.archive
        self.assertEqual((0, 0, 213, 213, 0), (a["disk"], a["disk_cd"], a["on_disk"], a["total"], a["comment"]))
        self.assertEqual(len(a["data"]) - 22, a["end"], "the end record is the last 22 bytes")
        self.assertEqual(a["end"], a["cd_offset"] + a["cd_size"])
        self.assertEqual(0, self.entries[0]["local"], "the first local header starts the archive")
        self.assertNotIn(b"PK\x06\x06", a["data"][a["cd_offset"]:], "no ZIP64 end record")

    def test_entries_in_order_folders_first(self):
        names = [e["name"] for e in self.entries]
        self.assertEqual(b"Uninstall.exe", names[-2])
        self.assertEqual(MAIN_NAME, names[-1])
        folders = [n for n in names if n.endswith(b"/")]
        self.assertEqual(3, len(folders))
        for name in names:
            if b"/" in name.rstrip(b"/"):
                folder = name[:name.rindex(b"/") + 1]
                self.assertLess(names.index(folder), names.index(name), name)
        offsets = [e["local"] for e in self.entries]
        self.assertEqual(sorted(offsets), offsets, "central order is local-header order")
        name_text = [n.decode("gbk") for n in names]
        self.assertEqual(47, sum(1 for n in name_text if "/" not in n and n.endswith(".dll")))
        self.assertEqual(3, sum(1 for n in name_text if n.endswith(".mht")))
        numbered = sorted(int(n.split("/")[1][:-4]) for n in name_text if n.count("/") == 1 and n.endswith(".exe"))
        self.assertEqual(list(range(1, 151)), numbered)

    def test_header_fields(self):
        for index, e in enumerate(self.entries):
            with self.subTest(name=e["name"].decode("gbk")):
                folder = e["name"].endswith(b"/")
                self.assertEqual(0, e["flags"])
                self.assertEqual((0, 0), (e["comment_len"], e["disk_start"]))
                self.assertEqual(31 if index >= 211 else 63, e["made_by"])
                stored_file = e["method"] == 0 and not folder
                self.assertEqual(10 if stored_file else 20, e["needed"])
                if folder:
                    self.assertTrue(e["external"] & 0x10)
                else:
                    self.assertEqual(0x20, e["external"])
                local = e["local_fields"]
                self.assertEqual((0x04034b50, e["needed"], 0, e["method"], e["time"], e["date"], e["crc"], e["packed"], e["size"]),
                                 local[:9])
                self.assertEqual(e["name"], e["local_name"])
                year, month, day = 1980 + (e["date"] >> 9), (e["date"] >> 5) & 15, e["date"] & 31
                self.assertTrue(FIRST_DAY <= (year, month, day) <= LAST_DAY, (year, month, day))

    def test_methods_and_folder_attributes(self):
        stored = [e["name"].decode("gbk") for e in self.entries if e["method"] == 0]
        self.assertEqual(5, len(stored))
        self.assertEqual(208, sum(1 for e in self.entries if e["method"] == 8))
        self.assertEqual(3, sum(1 for n in stored if n.endswith("/")))
        self.assertEqual(1, sum(1 for n in stored if n.endswith(".rar")))
        self.assertEqual(1, sum(1 for n in stored if n.endswith(".ini")))
        folder_attributes = sorted(e["external"] for e in self.entries if e["name"].endswith(b"/"))
        self.assertEqual([0x10, 0x10, 0x34], folder_attributes)
        for e in self.entries:
            if e["name"].endswith(b"/"):
                self.assertEqual((0, 0), (e["size"], e["packed"]))

    def test_extra_fields(self):
        for e in self.entries:
            for extra in (e["extra"], e["local_extra"]):
                blocks = extra_blocks(extra)
                ntfs = blocks[0x000A]
                self.assertEqual(32, len(ntfs))
                self.assertEqual((0, 1, 24), struct.unpack_from("<IHH", ntfs))
                write, access, creation = struct.unpack_from("<QQQ", ntfs, 8)
                self.assertTrue(creation <= write and access >= write)
                if e["name"] == MAIN_NAME:
                    unicode_path = blocks[0x7075]
                    self.assertEqual(1, unicode_path[0])
                    self.assertEqual(zlib.crc32(MAIN_NAME), struct.unpack_from("<I", unicode_path, 1)[0])
                    self.assertEqual("会计从业资格.exe", unicode_path[5:].decode("utf-8"))
                else:
                    self.assertNotIn(0x7075, blocks)

    def test_outside_readers_accept_it(self):
        self.assertEqual(0, subprocess.run(["unzip", "-tqq", self.path]).returncode)
        listing = subprocess.run(["bsdtar", "-tf", self.path], capture_output=True)
        self.assertEqual(0, listing.returncode)
        self.assertEqual(213, len(listing.stdout.splitlines()))
        with zipfile.ZipFile(self.path) as archive:
            self.assertIsNone(archive.testzip())


class FullProduct(ArchiveChecks, unittest.TestCase):
    path = None

    @classmethod
    def setUpClass(cls):
        cls.path = make("product-full.zip")
        super().setUpClass()

    def test_sizes(self):
        sizes = {e["name"].decode("gbk"): e["size"] for e in self.entries}
        self.assertEqual(245711509, sum(sizes.values()))
        modules = [s for n, s in sizes.items() if "/" not in n and n.endswith(".dll")]
        self.assertEqual(71393320, sum(modules))
        self.assertTrue(all(0.95 * 2 ** 20 <= s <= 3.2e6 for s in modules))
        self.assertEqual(1997944, sizes["会计从业资格.exe"])
        self.assertEqual(974936, sizes["Uninstall.exe"])
        programs = [s for n, s in sizes.items() if n.count("/") == 1 and n.endswith(".exe")]
        self.assertEqual(148029962, sum(programs))
        syllabi = sorted(s for n, s in sizes.items() if n.endswith(".mht"))
        self.assertEqual(10496410, syllabi[-1])
        self.assertEqual(10496410, max(sizes.values()))
        self.assertEqual(sorted([38393, 44974]), sorted(s for n, s in sizes.items() if n.endswith(".zip")))
        self.assertEqual([90812], [s for n, s in sizes.items() if n.endswith(".rar")])
        self.assertEqual(sorted([217, 23]), sorted(s for n, s in sizes.items() if n.endswith(".ini")))
        self.assertEqual([815104, 8925184], sorted(s for n, s in sizes.items() if n.endswith(".mdb")))
        self.assertIn(864464, [s for n, s in sizes.items() if "/" not in n and n.endswith(".exe")])

    def test_compresses_like_programs(self):
        packed = sum(e["packed"] for e in self.entries)
        self.assertTrue(0.45 < packed / 245711509 < 0.58, packed)
        for e in self.entries:
            if e["name"].endswith(b".dll"):
                self.assertTrue(0.3 < e["packed"] / e["size"] < 0.8, e["name"])


class SmallProduct(ArchiveChecks, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.path = make("product-small.zip", "--size", "small")
        super().setUpClass()

    def test_same_seed_same_bytes_other_seed_other_bytes(self):
        again = make("product-small-again.zip", "--size", "small")
        self.assertEqual(read_bytes(self.path), read_bytes(again))
        other = make("product-small-other.zip", "--size", "small", "--seed", "7")
        self.assertNotEqual(read_bytes(self.path), read_bytes(other))


class Options(unittest.TestCase):
    def test_real_programs_are_carried_padded_in_full_and_as_they_are_in_small(self):
        main = os.path.join(WORK, "main.exe")
        uninstaller = os.path.join(WORK, "uninstall.exe")
        write_bytes(main, b"MZ main program" + bytes(range(256)) * 40)
        write_bytes(uninstaller, b"MZ uninstaller" + bytes(range(256)) * 20)
        for size in ("small", "full"):
            with self.subTest(size=size):
                path = make("with-programs-%s.zip" % size, "--size", size, "--main-program", main,
                            "--uninstaller", uninstaller)
                with zipfile.ZipFile(path) as archive:
                    infos = archive.infolist()
                    carried_main = archive.read(infos[-1])
                    carried_uninstaller = archive.read(infos[-2])
                self.assertTrue(carried_main.startswith(read_bytes(main)))
                self.assertTrue(carried_uninstaller.startswith(read_bytes(uninstaller)))
                if size == "full":
                    self.assertEqual((1997944, 974936), (len(carried_main), len(carried_uninstaller)))
                    self.assertEqual(245711509, sum(i.file_size for i in infos))
                else:
                    self.assertEqual(read_bytes(main), carried_main)

    def test_bad_arguments_fail_clearly_and_write_nothing(self):
        target = os.path.join(WORK, "never.zip")
        too_big = os.path.join(WORK, "too-big.exe")
        write_bytes(too_big, b"\0" * 2000000)
        for arguments in (["--size", "huge", "--out", target], ["--out"], ["--bogus", "1", "--out", target],
                          [], ["--seed", "x", "--out", target],
                          ["--out", target, "--main-program", os.path.join(WORK, "missing.exe")],
                          ["--out", target, "--main-program", too_big]):
            with self.subTest(arguments=arguments):
                result = run_tool(*arguments)
                self.assertNotEqual(0, result.returncode)
                self.assertIn("productzip:", result.stderr)
                self.assertFalse(os.path.exists(target))
        self.assertEqual([], [n for n in os.listdir(WORK) if ".partial-" in n], "no partial files left")


if __name__ == "__main__":
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    unittest.main(argv=[sys.argv[0], "-v"])
