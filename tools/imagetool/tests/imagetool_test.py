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
"""


def read_pool(out):
    with open(os.path.join(out, "pool_head.bin"), "rb") as f:
        head = f.read()
    with open(os.path.join(out, "pool_tail.bin"), "rb") as f:
        tail = f.read()
    return head, tail


def main():
    code, err, out = run(GOOD, payload="product.zip", files={"product.zip": EMPTY_ZIP})
    check(code == 0, f"a good description builds ({err.strip()})")
    if code == 0:
        head, tail = read_pool(out)
        check(head == "你好\\".encode("gbk") + b"\0" + struct.pack("<II", 1, 0) + struct.pack("<II", 1, len(EMPTY_ZIP)),
              "texts are GBK with their zero; byte arrays are 1, length, bytes; the payload's bytes stay in its file")
        check(tail == b' "\0', "the item after the payload follows it")
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
        (GOOD + "pool text Hello \"again\"\n", "program.desc:15", "pool item Hello is declared twice"),
        (GOOD + "routine OnCreated Other\n", "program.desc:15", "routine OnCreated is declared twice"),
        (GOOD + "frobnicate 1\n", "program.desc:15", "frobnicate"),
        (GOOD + "pool text Open \"no end\n", "program.desc:15", "not closed"),
        (GOOD.replace("end\n", ""), "program.desc:9", "in library CoreLib"),
        (GOOD + "pool text Smile \"\U0001F600\"\n", "program.desc:15", "GBK"),
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
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


EMPTY_ZIP = b"PK\x05\x06" + b"\0" * 18

if __name__ == "__main__":
    sys.exit(main())
