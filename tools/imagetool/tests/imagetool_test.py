#!/usr/bin/env python3
"""The image build tool on good and bad program descriptions: a good one gives the generated
image with the pool laid out byte for byte; a bad one gives a message naming the file, the line
and the item, and writes nothing."""
import os
import struct
import subprocess
import sys
import tempfile

TOOL = sys.argv[1]
passed = failed = 0


def check(condition, what):
    global passed, failed
    if condition:
        passed += 1
        print(f"  ok    {what}")
    else:
        failed += 1
        print(f"  FAIL  {what}")


def run(description, payload=None, files=None):
    folder = tempfile.mkdtemp()
    for name, text in (files or {}).items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(text if isinstance(text, bytes) else text.encode("utf-8"))
    path = os.path.join(folder, "program.desc")
    with open(path, "w", encoding="utf-8") as f:
        f.write(description)
    out = os.path.join(folder, "out")
    args = [TOOL, "--description", path, "--out", out]
    if payload:
        args += ["--payload", os.path.join(folder, payload)]
    done = subprocess.run(args, capture_output=True, text=True)
    return done.returncode, done.stderr, out


GOOD = """program kind 3 reserved 0 highest-serial 0x10230
dll "" "PostMessageA"
library CoreLib
  identity "核心"
  notify corelib::Notify
  type "窗口" "window" state 0x800000d0 properties 1001,1005
  empty-types 2
  command corelib::BitOr
end
routine OnCreated OnCreated
pool text Hello "你好\\"
pool bytes Empty empty
pool bytes Payload payload
pool text After ' "'
pool text Path "C:\\a\\"
"""


def read_pool(out):
    with open(os.path.join(out, "pool_head.bin"), "rb") as f:
        head = f.read()
    with open(os.path.join(out, "pool_tail.bin"), "rb") as f:
        tail = f.read()
    return head, tail


# The installer's texts as its routines expect them, byte for byte once in GBK. The description
# reads every byte between the quotes as it stands, so "\\" is the two separators that
# DoubleSeparator must match in a picked drive root joined with the product's folders.
INSTALLER_TEXTS = [
    ('BrowseTitle', '选择要安装的文件夹'),
    ('ProductSuffix', '\\Veltaro\\会计从业资格'),
    ('Separator', '\\'),
    ('DoubleSeparator', '\\\\'),
    ('EmptyText', ''),
    ('UrlValuePath', 'SOFTWARE\\Veltaro\\URL'),
    ('MainProgram', '\\会计从业资格.exe'),
    ('MessageTitle', '提示'),
    ('BadPathMessage', '安装路径有误,请重新选择!'),
    ('DriveRoot', ':\\'),
    ('DriveColon', ':'),
    ('BadDriveMessage', '安装盘符不存在,请重新选择!'),
    ('ArchiveFile', '\\zip.tmp'),
    ('DesktopShortcut', 'Veltaro 会计从业资格.lnk'),
    ('ProgramGroup', 'Veltaro 会计从业资格'),
    ('UninstallShortcut', '\\软件卸载'),
    ('Uninstaller', '\\Uninstall.exe'),
    ('DisplayIconPath', 'SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veltaro\\DisplayIcon'),
    ('DisplayName', 'Veltaro 会计从业考试题库'),
    ('DisplayNamePath', 'SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veltaro\\DisplayName'),
    ('DisplayVersion', 'V4.6'),
    ('DisplayVersionPath', 'SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veltaro\\DisplayVersion'),
    ('UninstallStringPath', 'SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veltaro\\UninstallString'),
    ('Publisher', 'Veltaro'),
    ('PublisherPath', 'SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veltaro\\Publisher'),
    ('UninstallRecord', '\\Uninstall.ini'),
    ('RecordPath', '路径'),
    ('RecordShortcut', '快捷方式'),
    ('RecordGroup', '程序组'),
    ('PercentSuffix', ' %'),
    ('NoSpaceMessage', '安装盘剩余空间不足,请重新选择安装路径!'),
    ('InstallFailedMessage', '安装失败,软件文件未能完整写入,请重新选择安装路径!'),
    ('Quote', '"'),
    ('QuickLaunchFolder', 'Microsoft\\Internet Explorer\\Quick Launch\\'),
    ('ShortcutListSeparator', '|'),
    ('ShortcutExtension', '.lnk'),
    ('DllLibrary', 'user32'),
    ('DllPostMessage', 'PostMessageA'),
    ('DllGetClassLong', 'GetClassLongA'),
    ('DllSetClassLong', 'SetClassLongA'),
    ('DllSendMessage', 'SendMessageA'),
    ('DllKernelLibrary', 'kernel32'),
    ('DllFreeSpace', 'GetDiskFreeSpaceExA'),
    ('ProtectedFolderMessage', '所选文件夹是系统或用户的重要文件夹,不能安装到这里,请重新选择安装路径!'),
    ('FolderInUseQuestion', '所选文件夹中已有其他文件。卸载时会保留这些文件,但与本软件同名的文件会被替换。是否仍要安装到这个文件夹?'),
]
SOURCE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", ".."))


def pool_offsets(out):
    offsets = {}
    with open(os.path.join(out, "program_pool.h")) as f:
        for line in f:
            words = line.split()
            if len(words) == 5 and words[:2] == ["constexpr", "uint32_t"] and words[3] == "=":
                offsets[words[2]] = int(words[4].rstrip(";"))
    return offsets


def check_installer_texts():
    """The real installer description: every text keeps its bytes in the pool, and the folder box
    of the window holds the default folder with single separators."""
    folder = tempfile.mkdtemp()
    payload = os.path.join(folder, "product.zip")
    with open(payload, "wb") as f:
        f.write(EMPTY_ZIP)
    out = os.path.join(folder, "out")
    done = subprocess.run([TOOL, "--description", os.path.join(SOURCE, "installer", "Program.desc"), "--out", out,
                           "--payload", payload], capture_output=True, text=True)
    check(done.returncode == 0, f"the installer's description builds ({done.stderr.strip()})")
    if done.returncode != 0:
        return
    head, tail = read_pool(out)
    pool = head + EMPTY_ZIP + tail
    offsets = pool_offsets(out)
    wrong = []
    for name, text in INSTALLER_TEXTS:
        at = offsets.get(name)
        stored = pool[at:pool.index(b"\0", at)] if at is not None else None
        if stored != text.encode("gbk"):
            wrong.append((name, stored))
    check(not wrong, f"every installer text keeps its bytes ({wrong[:3]})")
    separators = [pool[offsets[n]:pool.index(b"\0", offsets[n])] for n in ("Separator", "DoubleSeparator")]
    check(separators == [b"\x5c", b"\x5c\x5c"], f"Separator is one backslash byte, DoubleSeparator two ({separators})")
    with open(os.path.join(out, "templates.bin"), "rb") as f:
        templates = f.read()
    folder_text = "C:\\Veltaro\\会计从业资格".encode("gbk")
    check(struct.pack("<i", len(folder_text)) + folder_text in templates,
          "the folder box holds C:\\Veltaro\\会计从业资格 with single separators")


def main():
    code, err, out = run(GOOD, payload="product.zip", files={"product.zip": EMPTY_ZIP})
    check(code == 0, f"a good description builds ({err.strip()})")
    if code == 0:
        head, tail = read_pool(out)
        check(head == "你好\\".encode("gbk") + b"\0" + struct.pack("<II", 1, 0) + struct.pack("<II", 1, len(EMPTY_ZIP)),
              "texts are GBK with their zero; byte arrays are 1, length, bytes; the payload's bytes stay in its file")
        check(tail == b' "\0C:\\a\\\0', "the items after the payload follow it; backslashes stay as written")
        with open(os.path.join(out, "program_pool.h")) as f:
            header = f.read()
        check("constexpr uint32_t Payload = 14;" in header and "kPayloadEntries = 0;" in header, "the pool header gives offsets")
        with open(os.path.join(out, "program_image.S")) as f:
            assembly = f.read()
        check(".incbin" in assembly and "product.zip" in assembly and "_OnCreated - . - 4" in assembly,
              "the payload is embedded by reference and each routine has its stub")

    bad = [
        (GOOD.replace("state 0x800000d0", "state 0x80zz"), "program.desc:6", "bad type state"),
        (GOOD.replace("properties 1001,1005", "properties 1001,99"), "program.desc:6", "bad property kind"),
        (GOOD + "pool text Hello \"again\"\n", "program.desc:16", "pool item Hello is declared twice"),
        (GOOD + "routine OnCreated Other\n", "program.desc:16", "routine OnCreated is declared twice"),
        (GOOD + "frobnicate 1\n", "program.desc:16", "frobnicate"),
        (GOOD + "pool text Open \"no end\n", "program.desc:16", "not closed"),
        (GOOD.replace("end\n", ""), "program.desc:9", "in library CoreLib"),
        (GOOD + "pool text Smile \"\U0001F600\"\n", "program.desc:16", "GBK"),
        (GOOD + "window \"missing.desc\"\n", "missing.desc", "cannot read"),
    ]
    for description, where, what in bad:
        code, err, out = run(description, payload="product.zip", files={"product.zip": EMPTY_ZIP})
        check(code == 1 and where in err and what in err and not os.path.exists(out),
              f"refused with “{what}” at {where}, nothing written ({err.strip()})")
    code, err, out = run(GOOD)
    check(code == 1 and "Payload" in err and "no payload file" in err and not os.path.exists(out),
          f"a payload item without a payload file is refused ({err.strip()})")
    code, err, out = run(GOOD, payload="product.zip", files={"product.zip": b"not a zip archive at all, sorry"})
    check(code == 1 and "not a ZIP archive" in err and not os.path.exists(out), f"a payload that is no ZIP is refused ({err.strip()})")
    check_installer_texts()
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


EMPTY_ZIP = b"PK\x05\x06" + b"\0" * 18

if __name__ == "__main__":
    sys.exit(main())
