#!/usr/bin/env python3
"""What the shipped programs load, and from where, through a whole installation and uninstallation
of the small installer in a fresh Wine prefix.

The installer is started from a Downloads folder, where a web page can drop files, and asks for
administrator rights; so does Uninstall.exe, and its copy runs from the temporary folder. A DLL
lying beside any of them must never run.

1. Survey: Wine's loader trace (+loaddll) lists every library the programs load, and the relay
   trace of the LoadLibrary functions (limited with RelayInclude) shows every load by name or
   path: none may name a file in the installer's folder, the installation folder or the
   temporary folder.
2. Markers: in a second fresh prefix a marker library (its start-up writes a file) is planted
   under the name of every library of the survey that is not one of Windows' known DLLs (and
   always comctl32, msimg32, uxtheme, version): beside the installer, in the installation folder
   before Uninstall.exe runs, in the temporary folder, and beside a copy of the uninstaller run
   the way the uninstaller runs its copy. Windows looks in a program's own folder first for such
   libraries; Wine does not unless told, so every run is told (WINEDLLOVERRIDES=<name>=n,b).
   No marker may run.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e import FINISH_BUTTON, INSTALL_BUTTON, PRODUCT, START_PRODUCT_BOX, Installer, Results, Wine, within  # noqa: E402

# Windows' known DLLs (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs) and the
# libraries the system always takes from its own folder: ntdll, and what known DLLs import.
KNOWN_DLLS = {
    "advapi32", "clbcatq", "combase", "comdlg32", "coml2", "difxapi", "gdi32", "gdiplus", "imagehlp", "imm32",
    "kernel32", "msctf", "msvcrt", "normaliz", "nsi", "ole32", "oleaut32", "psapi", "rpcrt4", "sechost",
    "setupapi", "shcore", "shell32", "shlwapi", "user32", "wldap32", "ws2_32",
    "ntdll", "kernelbase", "gdi32full", "win32u", "ucrtbase", "msvcp_win", "bcryptprimitives", "cryptbase",
}
ALWAYS_PLANTED = ["comctl32.dll", "msimg32.dll", "uxtheme.dll", "version.dll"]
LOAD_FUNCTIONS = ["LoadLibraryA", "LoadLibraryW", "LoadLibraryExA", "LoadLibraryExW"]
RELAY_INCLUDE = ";".join(f"{module}.{function}" for module in ("kernel32", "KERNELBASE") for function in LOAD_FUNCTIONS)
LOADED = re.compile(r'Loaded L"((?:[^"\\]|\\.)*)" at [0-9a-fA-F]+: (\w+)')
# With +pid every line starts "<pid>:<thread>:".
TRACE_LINE = re.compile(r"^([0-9a-f]+):([0-9a-f]+):(.*)$")
OUR_PROGRAMS = ("veltaro-setup-small.exe", "uninstall.exe")
LOAD_CALL = re.compile(r"Call (?:KERNEL32|KERNELBASE)\.(LoadLibrary\w*)\((.*)\) ret=")


class TracedWine(Wine):
    """Runs the programs under test with extra environment and their trace in a file; the
    driver that clicks through them runs as before."""

    def __init__(self, build, prefix):
        super().__init__(build, prefix)
        self.program_env = {}
        self.trace = None

    def start(self, *args, log=None):
        # Standard error carries the trace here, so a log of Wine's messages is not kept.
        env = dict(self.env, **self.program_env)
        return subprocess.Popen(["wine", *args], env=env, stdout=subprocess.DEVNULL,
                                stderr=self.trace or subprocess.DEVNULL)

    def windows_variable(self, name):
        code, out = self.run("cmd", "/c", "echo", f"%{name}%")
        return out.strip().splitlines()[-1].strip() if code == 0 and out.strip() else ""

    def fresh(self):
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
        self.boot({})
        self.program_env, self.trace = {}, None


def unescape(text):
    return text.replace("\\\\", "\\")


def is_inside(path, folder):
    return path.lower().startswith(folder.lower().rstrip("\\") + "\\")


def install(wine, exe, results, artifacts, what):
    """One whole installation into the default folder, the product not started at the end."""
    with Installer(wine, exe, results, artifacts) as run:
        run.press(INSTALL_BUTTON)
        finished = results.check(run.wait_finish_page(600), f"{what}: the installation reaches the finish page")
        if finished:
            run.click(START_PRODUCT_BOX)
            run.click(FINISH_BUTTON)
            wine.driver("wait-gone", 10)
    return finished


def uninstall(wine, folder, results, what, planted=()):
    """Uninstall.exe from the installation folder, answered yes, until its copy has removed it.
    Libraries planted in the folder are not the product's: the uninstaller keeps them, and the
    folder with them."""
    process = wine.start(folder + "\\Uninstall.exe")
    code, text = wine.driver("box", 30)
    asked = results.check(code == 0 and "确定要卸载" in text, f"{what}: the uninstaller asks first")
    if asked:
        wine.driver("answer", 6)
        code, text = wine.driver("box", 60)
        results.check(code == 0 and "卸载完成" in text, f"{what}: the uninstaller reports it is done")
        wine.driver("answer", 1)
    try:
        process.wait(timeout=within(60))
    except subprocess.TimeoutExpired:
        process.kill()
    target = wine.unix_path(folder)
    if planted:
        left = sorted(os.listdir(target)) if os.path.isdir(target) else []
        results.check(left == sorted(planted), f"{what}: only the planted libraries are left ({left[:5]})")
        return
    deadline = time.time() + within(60)
    while os.path.exists(target) and time.time() < deadline:
        time.sleep(1)
    results.check(not os.path.exists(target), f"{what}: the installation folder is gone")


def run_copy_mode(wine, copy, results, what):
    """The uninstaller started the way it starts its copy, on a folder that holds no installation:
    it refuses with a box, after its start-up has loaded what it loads."""
    folder_hex = "C:\\NoInstallationHere".encode("gbk").hex().upper()
    process = wine.start(copy, "/cleanup", "1", "2", folder_hex)
    code, text = wine.driver("box", 30)
    results.check(code == 0 and "Uninstall.ini" in text, f"{what}: the copy refuses a folder without a record")
    if code == 0:
        wine.driver("answer", 1)
    try:
        process.wait(timeout=within(30))
    except subprocess.TimeoutExpired:
        process.kill()


def read_trace(path):
    with open(path, "rb") as trace:
        return trace.read().decode("utf-8", errors="replace")


def loaded_libraries(trace):
    """The file names of the libraries our programs' processes loaded once their own code ran,
    and of those loaded only before it ran.
    What the system loads before a program's first instruction is what its import table names
    (checked apart: known DLLs only) and their dependencies, which Windows takes from its own
    folder; Wine takes some of its own internals (zlib1) by the program's search path there."""
    ours, started, names, early = set(), set(), set(), set()
    for line in trace.splitlines():
        match = TRACE_LINE.match(line)
        if not match:
            continue
        pid, rest = match.group(1), match.group(3)
        loaded = LOADED.search(rest)
        name = unescape(loaded.group(1)).split("\\")[-1].lower() if loaded else ""
        if name.endswith(OUR_PROGRAMS):
            ours.add(pid)
        elif rest.startswith("Starting thread proc") and pid in ours:
            started.add(pid)
        elif loaded and pid in ours and not name.endswith(".exe"):
            (names if pid in started else early).add(name)
    return names, early - names


def check_imports(build, results):
    """Every library the shipped programs import is one Windows takes from its own folder."""
    programs = ["veltaro-setup-small.exe", os.path.join("installer", "product", "Uninstall.exe"),
                os.path.join("installer", "product", "会计从业资格.exe")]
    for program in programs:
        dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", os.path.join(build, program)],
                              capture_output=True, text=True).stdout
        imported = re.findall(r"DLL Name: (\S+)", dump)
        others = [name for name in imported if name.lower().rsplit(".", 1)[0] not in KNOWN_DLLS]
        results.check(imported and not others, f"{os.path.basename(program)} imports known DLLs only ({', '.join(imported)})")


def check_load_calls(trace, folders, results, what, expected=None):
    calls = [(function, unescape(arguments)) for function, arguments in LOAD_CALL.findall(trace)]
    results.check(calls and (expected is None or any(expected in arguments.lower() for _, arguments in calls)),
                  f"{what}: the relay trace shows the LoadLibrary calls ({len(calls)}"
                  + (f", {expected} among them)" if expected else ")"))
    for name, folder in folders.items():
        inside = [f"{function}({arguments})" for function, arguments in calls
                  if folder.lower().rstrip("\\") + "\\" in arguments.lower()]
        results.check(not inside, f"{what}: no library is loaded by a path in the {name} ({folder})"
                      + (f": {inside[:3]}" if inside else ""))


def survey(wine, small, results, artifacts, work):
    """A traced installation and uninstallation; the libraries the programs loaded."""
    print("survey: what the installer and the uninstaller load", flush=True)
    wine.fresh()
    wine.run("reg", "add", "HKCU\\Software\\Wine\\Debug", "/v", "RelayInclude", "/d", RELAY_INCLUDE, "/f")
    downloads = wine.windows_variable("USERPROFILE") + "\\Downloads"
    temp = wine.windows_variable("TEMP")
    folder = "C:\\" + PRODUCT
    os.makedirs(wine.unix_path(downloads), exist_ok=True)
    exe = downloads + "\\veltaro-setup-small.exe"
    shutil.copy(small, wine.unix_path(exe))
    libraries, early = set(), set()
    wine.program_env = {"WINEDEBUG": "+pid,+loaddll,+relay"}

    trace_file = os.path.join(work, "install-trace.txt")
    with open(trace_file, "wb") as wine.trace:
        installed = install(wine, exe, results, artifacts, "survey")
    trace = read_trace(trace_file)
    later, before = loaded_libraries(trace)
    libraries, early = libraries | later, early | before
    check_load_calls(trace, {"installer's folder": downloads}, results, "installer", "comctl32")
    if not installed:
        return libraries, early

    trace_file = os.path.join(work, "uninstall-trace.txt")
    with open(trace_file, "wb") as wine.trace:
        uninstall(wine, folder, results, "survey")
    trace = read_trace(trace_file)
    later, before = loaded_libraries(trace)
    libraries, early = libraries | later, early | before
    copies = [unescape(path) for path, _ in LOADED.findall(trace) if unescape(path).lower().endswith("uninstall.exe")
              and is_inside(unescape(path), temp)]
    results.check(bool(copies), f"the uninstaller's copy ran from the temporary folder ({copies[:1]})")
    copy_folders = {os.path.dirname(path.replace("\\", "/")).replace("/", "\\") for path in copies}
    results.check(all(not same(f, temp) for f in copy_folders), "the copy runs from a folder of its own, not %TEMP% itself")
    folders = {"installation folder": folder, "temporary folder": temp}
    check_load_calls(trace, folders, results, "uninstaller and its copy")
    wine.trace = None
    return libraries, early - libraries


def same(a, b):
    return a.lower().rstrip("\\") == b.lower().rstrip("\\")


def plant(marker, unix_folder, names):
    os.makedirs(unix_folder, exist_ok=True)
    for name in names:
        shutil.copy(marker, os.path.join(unix_folder, name))


def override_name(name):
    return name[:-4] if name.endswith(".dll") else name


def check_markers(marks, results, what):
    ran = sorted(os.listdir(marks))
    results.check(not ran, f"{what}: no planted library ran" + (f" ({ran})" if ran else ""))
    for name in ran:
        os.remove(os.path.join(marks, name))


def markers(wine, small, marker, names, early, results, artifacts):
    print(f"markers: {len(names)} planted libraries ({', '.join(names)})", flush=True)
    wine.fresh()
    downloads = wine.windows_variable("USERPROFILE") + "\\Downloads"
    temp = wine.windows_variable("TEMP")
    folder = "C:\\" + PRODUCT
    marks = wine.unix_path("C:\\") + "/markers"
    os.makedirs(marks, exist_ok=True)
    # Wine searches the program's folder first for these only when told, as Windows always does.
    # Not for those Wine itself loads only before the program's first instruction, as imports of
    # its own known DLLs (version, for one): Windows takes those from the system folder, Wine told
    # so would take them from the program's folder before any of the program's code could run.
    preferred = [override_name(n) for n in names if n not in early]
    print(f"  (preferred from the program's folder: {', '.join(preferred)})", flush=True)
    overrides = wine.env["WINEDLLOVERRIDES"] + ";" + ",".join(preferred) + "=n,b"
    wine.program_env = {"WINEDLLOVERRIDES": overrides, "VELTARO_MARKER_DIR": "C:\\markers"}

    plant(marker, wine.unix_path(downloads), names)
    exe = downloads + "\\veltaro-setup-small.exe"
    shutil.copy(small, wine.unix_path(exe))
    installed = install(wine, exe, results, artifacts, "markers")
    check_markers(marks, results, "installer started from Downloads")
    if installed:
        plant(marker, wine.unix_path(folder), names)
        plant(marker, wine.unix_path(temp), names)
        uninstall(wine, folder, results, "markers", planted=names)
        check_markers(marks, results, "Uninstall.exe and its copy, with libraries planted in the installation and temporary folders")

    # The copy's folder is new and named at random, so nothing can be planted there beforehand;
    # should something get in anyway, the copy's start-up still takes nothing from it.
    copy_folder = downloads + "\\copy"
    plant(marker, wine.unix_path(copy_folder), names)
    shutil.copy(os.path.join(wine.build, "installer", "product", "Uninstall.exe"), wine.unix_path(copy_folder))
    run_copy_mode(wine, copy_folder + "\\Uninstall.exe", results, "markers")
    check_markers(marks, results, "the uninstaller's copy with libraries planted beside it")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    options = parser.parse_args()
    build = os.path.abspath(options.build)
    work = os.path.join(build, "e2e-security")
    os.makedirs(work, exist_ok=True)
    artifacts = os.path.join(build, "artifacts", "e2e-security")
    small = os.path.join(build, "veltaro-setup-small.exe")
    marker = os.path.join(build, "tests", "e2e", "marker.dll")
    wine = TracedWine(build, os.path.join(work, "prefix"))
    results = Results()
    try:
        check_imports(build, results)
        seen, early = survey(wine, small, results, artifacts, work)
        names = sorted(set(ALWAYS_PLANTED) | {n for n in seen if n.rsplit(".", 1)[0] not in KNOWN_DLLS})
        markers(wine, small, marker, names, early, results, artifacts)
    finally:
        subprocess.run(["wineserver", "-k"], env=wine.env, capture_output=True)
    print(f"{results.passed} passed, {results.failed} failed")
    return 0 if results.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
