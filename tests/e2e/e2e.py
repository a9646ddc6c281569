#!/usr/bin/env python3
"""The installer end to end: the real executable in a fresh Wine prefix under Xvfb, driven with
real mouse and keyboard input (installer_driver) and checked from outside the program: files
on disk, the registry through `wine reg query`, the uninstall record, shortcuts through
`lnkinfo`, screenshots of every page."""
import argparse
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile


def take_seat_display():
    """Shows this test's windows on the display of the seat ctest gave it (scripts/seats), as
    scripts/wine-env does for the Windows test programs: on another seat's display the windows of
    that seat's test would cover ours, take the keyboard focus and stand in our screenshots."""
    seat = re.match(r"id:(\d+)", os.environ.get("CTEST_RESOURCE_GROUP_0_SEAT", ""))
    display = seat and os.environ.get(f"VELTARO_SEAT_{seat.group(1)}_DISPLAY")
    if display:
        os.environ["DISPLAY"] = display


take_seat_display()  # before any Wine or screenshot takes the display from the environment

# Page coordinates of the controls the tests use (the window's picture pages are 506 x 326).
INSTALL_BUTTON = (246, 244)
CUSTOM_LINK = (60, 300)
LICENCE_LINK = (458, 299)
AGREE_BOX = (343, 301)
FOLDER_BOX = (210, 119)
BROWSE_BUTTON = (433, 118)
DESKTOP_BOX, START_MENU_BOX, QUICK_LAUNCH_BOX = (42, 156), (174, 156), (310, 156)
CUSTOM_INSTALL_BUTTON = (246, 244)
CUSTOM_BACK_LINK = (45, 299)
PERCENT_LABEL_PLACE = (392, 249, 79, 20)
START_PRODUCT_BOX = (67, 212)
FINISH_BUTTON = (260, 259)
CLOSE_BUTTON = (487, 17)
LICENCE_BOX = (252, 163)
LICENCE_BACK_LINK = (60, 299)
PRODUCT = "Veltaro\\会计从业资格"
UNINSTALL_KEY = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veltaro"
PROTECTED_MESSAGE = "所选文件夹是系统或用户的重要文件夹,不能安装到这里,请重新选择安装路径!"
FOLDER_IN_USE_QUESTION = "所选文件夹中已有其他文件"
FAILED_MESSAGE = "安装失败,软件文件未能完整写入,请重新选择安装路径!"
IDYES, IDNO, IDOK = 6, 7, 1
# Every wait for an event has a limit, so that a run cannot hang; on a slower machine (Wine in an
# emulated one) the limits stretch by this factor, here and in the driver, and nothing else changes.
WAIT_SCALE = max(1, min(20, int(os.environ.get("VELTARO_WAIT_SCALE", "1") or 1)))


def within(seconds):
    return seconds * WAIT_SCALE


def wait_until(check, seconds):
    """Polls the check until it holds; false when the stretched limit passes first."""
    deadline = time.time() + within(seconds)
    while not check():
        if time.time() > deadline:
            return False
        time.sleep(0.02)
    return True


SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SKIPPED = 77  # the exit code when a wanted scenario could not run here (ctest's SKIP_RETURN_CODE)


class Results:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, condition, what):
        if condition:
            self.passed += 1
            print(f"  ok    {what}", flush=True)
        else:
            self.failed += 1
            print(f"  FAIL  {what}", flush=True)
        return condition


def decode(data):
    for encoding in ("utf-8", "gbk"):
        try:
            return data.decode(encoding)
        except UnicodeDecodeError:
            pass
    return data.decode("latin-1")


def resolve(base, parts):
    path = base
    for part in [p for p in parts if p]:
        exact = os.path.join(path, part)
        if not os.path.exists(exact) and os.path.isdir(path):
            for name in os.listdir(path):
                if name.lower() == part.lower():
                    exact = os.path.join(path, name)
                    break
        path = exact
    return path


def same_path(a, b):
    return a.lower() == b.lower()


class Wine:
    def __init__(self, build, prefix):
        self.build = build
        # Where prefixes live elsewhere (scripts/wine-env), this one goes there too.
        root = os.environ.get("VELTARO_PREFIX_ROOT")
        self.prefix = os.path.join(root, os.path.relpath(prefix, build)) if root else prefix
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEARCH="win32", LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8",
                        WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d")
        self.driver_exe = os.path.join(build, "tests", "e2e", "installer_driver.exe")

    def boot(self, drives):
        """A fresh prefix with the given drive letters mapped to folders: a copy of the project's
        booted base prefix (scripts/wine-prefix), which is far quicker than booting one. The
        drives are in place before the server that runs the tests starts, so the system lists
        them like any other."""
        if os.path.isdir(self.prefix):
            subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL)
        shutil.rmtree(self.prefix, ignore_errors=True)
        subprocess.run(["bash", os.path.join(SOURCE, "scripts", "wine-prefix")], env=self.env, check=True)
        for letter, folder in drives.items():
            self.map_drive(letter, folder)
        # One server for the whole run: programs started side by side (the installer and the
        # driver) would otherwise race to start one each, and not see each other's windows.
        subprocess.run(["wineserver", "-p"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def capture(self, args, timeout):
        """Runs a program and returns its exit code and output. The output goes through a file:
        Wine's own background processes may inherit a pipe and hold it open long after the
        program has gone."""
        with tempfile.TemporaryFile() as output:
            try:
                code = subprocess.run(args, env=self.env, stdout=output, stderr=subprocess.DEVNULL,
                                      timeout=within(timeout)).returncode
            except subprocess.TimeoutExpired:
                return 124, b""
            output.seek(0)
            return code, output.read()

    def run(self, *args, timeout=120):
        code, out = self.capture(["wine", *args], timeout)
        return code, decode(out)

    def start(self, *args, log=None):
        """Starts a program; with `log`, Wine's error messages and the program's output go there."""
        if not log:
            return subprocess.Popen(["wine", *args], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(log, "ab") as output:
            return subprocess.Popen(["wine", *args], env=dict(self.env, WINEDEBUG="fixme-all"), stdout=output,
                                    stderr=subprocess.STDOUT)

    def driver(self, *args, timeout=120):
        code, out = self.capture(["wine", self.driver_exe, *map(str, args)], timeout)
        return code, out.decode("gbk", errors="replace").strip()

    def unix_path(self, windows_path):
        """Where a Windows path lies on this machine; names match without regard to case, as
        on Windows (the folder box shows upper case, the files keep the archive's case)."""
        drive = windows_path[0].lower()
        return resolve(os.path.join(self.prefix, "dosdevices", drive + ":"), windows_path[3:].split("\\"))

    def map_drive(self, letter, folder):
        link = os.path.join(self.prefix, "dosdevices", letter.lower() + ":")
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(folder, link)

    def reg_query(self, key, value=None):
        args = ["reg", "query", key] + (["/v", value] if value else [])
        code, out = self.run(*args)
        return code, out


class InstallerMissing(Exception):
    """The installer did not show its window: nothing after it in its scenarios can be checked."""


class Installer:
    """One run of the installer window."""

    def __init__(self, wine, exe, results, artifacts):
        self.wine, self.exe, self.results, self.artifacts = wine, exe, results, artifacts
        self.process = None

    def __enter__(self):
        os.makedirs(self.artifacts, exist_ok=True)
        log = os.path.join(self.artifacts, "installer-wine.log")
        # The first program of a fresh prefix starts slowly (Wine sets up its fonts and desktop).
        # A start whose window never shows is told with what the screen and Wine showed, and the
        # installer is started once more; a second start without a window ends the scenarios.
        for start in (1, 2):
            self.process = self.wine.start(self.exe, log=log)
            code, where = self.wine.driver("find")
            if code == 0:
                break
            shot = os.path.join(self.artifacts, f"no-window-{start}.png")
            subprocess.run(["import", "-window", "root", shot], capture_output=True)
            ended = self.process.poll()
            print(f"  note  start {start} showed no installer window (the process "
                  f"{'ended with ' + str(ended) if ended is not None else 'still runs'}; see {shot} and {log})",
                  flush=True)
            self.process.kill()
        if not self.results.check(code == 0, f"the installer window appears ({where})"):
            raise InstallerMissing(f"{os.path.basename(self.exe)} showed no window")
        time.sleep(0.5)
        return self

    def __exit__(self, *rest):
        if self.process and self.process.poll() is None:
            self.wine.driver("wait-gone", 5)
            if self.process.poll() is None:
                self.process.kill()
        self.process = None

    def click(self, point):
        self.wine.driver("click", *point)
        time.sleep(0.3)

    def press(self, button):
        """Clicks a button that starts work (安装) until the installer answers it; a lost click
        would otherwise be found only when a long wait for the finish page runs out."""
        code, why = self.wine.driver("press", *button, timeout=400)
        return code == 0 or self.results.check(False, f"the installer answers the click at {button} ({why})")

    def open_custom_page(self):
        """Clicks the link to the folder page until that page shows."""
        code, why = self.wine.driver("open", *CUSTOM_LINK, *FOLDER_BOX)
        return code == 0 or self.results.check(False, f"the folder page opens ({why})")

    def type(self, point, text):
        """Types into the box there; a box that did not take the text is a failure here, and the
        caller goes no further with it (a click on 安装 would install into the folder shown).
        Chinese is set as text: Wine hands Chinese typed through SendInput to the box as "??"."""
        verb = "type" if text.isascii() else "set-text"
        code, why = self.wine.driver(verb, *point, text)
        if code == 0:
            return True
        shot = self.screenshot("failed-type")
        return self.results.check(False, f"the box takes {text!r} ({why}; see {shot})")

    def text_at(self, point):
        return self.wine.driver("text-at", *point)[1]

    def visible(self):
        return self.wine.driver("visible")[1].splitlines()

    def box(self, seconds=20):
        code, text = self.wine.driver("box", seconds)
        return text if code == 0 else None

    def answer(self, button):
        self.wine.driver("answer", button)
        time.sleep(0.3)

    def screenshot(self, name):
        os.makedirs(self.artifacts, exist_ok=True)
        code, where = self.wine.driver("find")
        target = os.path.join(self.artifacts, name + ".png")
        if code != 0:
            return None
        x, y, w, h = map(int, where.split())
        subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage", target], capture_output=True)
        return target

    def watch_install(self, seconds):
        """Clicks the install button; the distinct texts of the percentage label until the finish
        page shows, read inside the prefix as often as the driver can (an installation may take
        less than a second)."""
        code, out = self.wine.driver("watch-install", *INSTALL_BUTTON, *PERCENT_LABEL_PLACE, seconds,
                                     timeout=seconds + 60)
        return out.splitlines() if code == 0 else []

    def looks_like(self, place, picture):
        """Mean difference (0..255) between a part of the page on screen and one of our pictures."""
        from PIL import Image, ImageChops, ImageStat
        code, origin = self.wine.driver("page-origin")
        if code != 0:
            return 255
        ox, oy = map(int, origin.split())
        x, y, w, h = place
        shot = os.path.join(self.artifacts, "part.png")
        subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{ox + x}+{oy + y}", "+repage", shot], capture_output=True)
        expected = Image.open(picture).convert("RGB")
        seen = Image.open(shot).convert("RGB")
        if seen.size != expected.size:
            return 255
        return sum(ImageStat.Stat(ImageChops.difference(seen, expected)).mean) / 3

    def failure_box(self, seconds):
        """The text of the box an installation that must fail ends with, or None: at once when it
        reaches the finish page instead, rather than after the whole wait."""
        deadline = time.time() + within(seconds)
        while time.time() < deadline and self.process.poll() is None:
            text = self.box(5)
            if text is not None:
                return text
            if self.wait_finish_page(0):
                return None
        return None

    def wait_finish_page(self, seconds):
        deadline = time.time() + within(seconds)
        while True:
            if any(line.startswith("_QZ_RgnButton") and " 184 240 152 38" in line for line in self.visible()):
                return True
            if self.process.poll() is not None or time.time() >= deadline:
                return False
            time.sleep(1)


class HeldFile:
    """A file the driver holds open without delete sharing, as a running program holds its own,
    until it is let go. The two signals lie at the root of drive C and are gone afterwards."""

    def __init__(self, wine, path):
        self.signals = {name: os.path.join(wine.prefix, "drive_c", name) for name in ("held", "release")}
        for signal in self.signals.values():
            if os.path.exists(signal):
                os.remove(signal)
        self.process = wine.start(wine.driver_exe, "hold", path, "C:\\held", "C:\\release")

    def wait_held(self):
        held = wait_until(lambda: os.path.exists(self.signals["held"]), 60)
        if held:
            os.remove(self.signals["held"])
        return held

    def let_go(self):
        open(self.signals["release"], "wb").close()

    def wait_gone(self):
        self.process.wait(timeout=within(60))
        os.remove(self.signals["release"])


def installed_folder(wine, folder):
    return wine.unix_path(folder)


def compare_with_archive(payload, folder, results):
    """Every entry of the archive is on disk with the same bytes."""
    mismatched, count = [], 0
    with zipfile.ZipFile(payload, metadata_encoding="gbk") as archive:
        for info in archive.infolist():
            path = os.path.join(folder, info.filename.replace("\\", "/"))
            if info.is_dir():
                if not os.path.isdir(path):
                    mismatched.append(info.filename)
                continue
            count += 1
            try:
                with open(path, "rb") as on_disk:
                    if on_disk.read() != archive.read(info):
                        mismatched.append(info.filename)
            except OSError:
                mismatched.append(info.filename)
    results.check(not mismatched, f"all {count} files of the archive are on disk byte for byte"
                  + (f" (differ: {mismatched[:5]})" if mismatched else ""))
    return count


def write_files(folder, files):
    """Writes each file (its name relative to the folder: its bytes), making the folders on the way."""
    for name, data in files.items():
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)


def read_record(path):
    with open(path, "rb") as f:
        return f.read().decode("gbk")


def lnk_info(path):
    done = subprocess.run(["lnkinfo", "-c", "windows-936", path], capture_output=True)
    return decode(done.stdout)


# Folders Wine itself writes to while programs run.
VOLATILE = ("windows\\temp", "users\\{user}\\temp", "users\\{user}\\appdata\\local\\temp")


def tree_snapshot(root, skip=()):
    """Every folder and file below root, each file with a digest of its bytes; links are listed,
    never followed. Paths are relative, with "\\" between names."""
    listing = {}
    skip = tuple(s.lower() for s in skip)
    for folder, dirs, files in os.walk(root):
        relative = os.path.relpath(folder, root).replace(os.sep, "\\")
        relative = "" if relative == "." else relative + "\\"
        dirs[:] = [d for d in dirs if (relative + d).lower() not in skip]
        for name in dirs:
            listing[relative + name] = "link" if os.path.islink(os.path.join(folder, name)) else "folder"
        for name in files:
            full = os.path.join(folder, name)
            if os.path.islink(full):
                listing[relative + name] = "link"
                continue
            with open(full, "rb") as f:
                listing[relative + name] = hashlib.sha1(f.read()).hexdigest()
    return listing


def drive_c_snapshot(wine):
    user = next(u for u in os.listdir(os.path.join(wine.prefix, "drive_c", "users")) if u.lower() != "public")
    return tree_snapshot(os.path.join(wine.prefix, "drive_c"), [v.format(user=user.lower()) for v in VOLATILE])


def describe_difference(before, after):
    added = sorted(set(after) - set(before))
    removed = sorted(set(before) - set(after))
    changed = sorted(k for k in before if k in after and before[k] != after[k])
    return f"added {added[:4]}, removed {removed[:4]}, changed {changed[:4]}"


def profile_folder(wine):
    user = next(u for u in os.listdir(os.path.join(wine.prefix, "drive_c", "users")) if u.lower() != "public")
    return "C:\\users\\" + user


def archive_items(payload):
    """The folders and files of an archive as the installer's log names them."""
    with zipfile.ZipFile(payload, metadata_encoding="gbk") as archive:
        return [("D" if info.is_dir() else "F", info.filename.replace("/", "\\").rstrip("\\"))
                for info in archive.infolist()]


def read_log(path):
    with open(path, "rb") as f:
        lines = f.read().decode("gbk").split("\r\n")
    return lines


def type_folder_and_install(run, typed):
    if not run.open_custom_page() or not run.type(FOLDER_BOX, typed):
        return False
    run.press(CUSTOM_INSTALL_BUTTON)
    return True


def finish_without_starting(run):
    run.click(START_PRODUCT_BOX)
    run.click(FINISH_BUTTON)
    run.wine.driver("wait-gone", 10)


def uninstall(wine, folder, results, expect_question=True):
    """Runs the installed uninstaller, answers 是, and returns the text of its closing box (or,
    without `expect_question`, of the box it refuses with)."""
    process = wine.start(folder + "\\Uninstall.exe")
    if expect_question:
        code, text = wine.driver("box", 30)
        results.check(code == 0 and "确定要卸载" in text, f"the uninstaller asks first ({text!r})")
        wine.driver("answer", IDYES)
    code, text = wine.driver("box", 60)
    if not expect_question and code == 0 and "确定要卸载" in text:
        # It asks where it should refuse: a user says 是, so whatever it then removes shows in the
        # caller's checks, and the caller's check of the refusal fails on the question's text.
        wine.driver("answer", IDYES)
        wine.driver("box", 60)
    wine.driver("answer", IDOK)
    try:
        process.wait(timeout=within(60))
    except subprocess.TimeoutExpired:  # a box OK does not close: the caller's check fails on its text
        process.kill()
    return text if code == 0 else ""


def scenario_first_look(wine, exe, results, artifacts):
    print("first look: pages, controls, typing", flush=True)
    with Installer(wine, exe, results, artifacts) as run:
        run.screenshot("page1-welcome")
        visible = run.visible()
        page1_buttons = [l for l in visible if l.startswith("_QZ_RgnButton")]
        results.check(len(page1_buttons) == 2, f"only page 1's two picture buttons are visible ({len(page1_buttons)})")
        results.check(not any(l.startswith("Edit ") for l in visible), "no edit box of another page is visible")
        results.check(not any("msctls_progress32" in l for l in visible), "the progress bar of page 3 is hidden")
        run.click(LICENCE_LINK)
        run.screenshot("page5-licence")
        licence = run.text_at(LICENCE_BOX)
        results.check(len(licence.encode("gbk")) > 3000, "the licence page shows the agreement text")
        run.type(LICENCE_BOX, "abc")
        results.check(run.text_at(LICENCE_BOX) == licence, "the licence cannot be edited")
        run.click(LICENCE_BACK_LINK)
        run.open_custom_page()
        run.screenshot("page2-custom")
        results.check(same_path(run.text_at(FOLDER_BOX), "C:\\" + PRODUCT), "the default folder is C:\\Veltaro\\会计从业资格")
        run.type(FOLDER_BOX, "d:\\games\\abc")
        results.check(run.text_at(FOLDER_BOX) == "D:\\GAMES\\ABC", "typed letters show in upper case")
        run.click(CUSTOM_BACK_LINK)
        run.click(AGREE_BOX)
        results.check(run.wine.driver("enabled-at", *INSTALL_BUTTON)[1] == "0", "clearing the agreement disables installing")
        run.screenshot("page1-not-agreed")
        run.click(AGREE_BOX)
        results.check(run.wine.driver("enabled-at", *INSTALL_BUTTON)[1] == "1", "agreeing enables installing again")
        run.click(CLOSE_BUTTON)
        closed = wine.driver("wait-gone", 10)[0] == 0
        results.check(closed and run.process.wait(timeout=within(30)) == 0, "closing the window ends the program with exit code 0")


def check_executable(exe, results):
    kind = subprocess.run(["file", "-b", exe], capture_output=True, text=True).stdout
    results.check("PE32 executable" in kind and "(GUI)" in kind and "Intel 80386" in kind,
                  f"the installer is a 32-bit GUI program for Intel 80386 ({kind.strip()})")


def scenario_default_install(wine, exe, payload, results, artifacts):
    print("default installation with every option", flush=True)
    folder = "C:\\" + PRODUCT
    with Installer(wine, exe, results, artifacts) as run:
        shown = run.watch_install(600)
        results.check(run.wait_finish_page(60), "the finish page appears")
        numbers = [int(text.split()[0]) for text in shown if text.endswith(" %") and text.split()[0].isdigit()]
        results.check(len(numbers) >= 2 and len(numbers) == len(shown) and numbers == sorted(numbers),
                      f"the progress label counts up as \"N %\" ({shown})")
        results.check(numbers and numbers[-1] == 100 and 100 not in numbers[:-1], "100 % shows only at the end")
        run.screenshot("page4-finish")
        # The progress page's label ended at 100 %, shown only after the last entry.
        visible = run.visible()
        results.check(any(l.startswith("_QZ_RgnButton") and " 475 5 24 24" in l for l in visible), "the finish page's close button shows")
        results.check(run.wine.driver("enabled-at", *CLOSE_BUTTON)[1] == "0", "the finish page's close button is disabled")
        pictures = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))), "installer", "pictures")
        disabled = run.looks_like((475, 5, 24, 24), os.path.join(pictures, "close-disabled.jpg"))
        normal = run.looks_like((475, 5, 24, 24), os.path.join(pictures, "close-normal.jpg"))
        results.check(disabled < 8 and disabled < normal, f"it shows its disabled picture (differs {disabled:.1f} from it, {normal:.1f} from the normal one)")
        run.click(FINISH_BUTTON)
        results.check(wine.driver("wait-gone", 10)[0] == 0, "finishing closes the installer")
    target = installed_folder(wine, folder)
    compare_with_archive(payload, target, results)
    results.check(not os.path.exists(os.path.join(target, "zip.tmp")), "no zip.tmp is left")
    record = read_record(os.path.join(target, "Uninstall.ini"))
    results.check(f"[路径]\r\n路径={folder}".lower() in record.lower(), "the record holds the installation path")
    results.check("[程序组]\r\n程序组=" in record and "Veltaro 会计从业资格" in record, "the record holds the program group")
    shortcuts = record.split("快捷方式=")[1].split("\r\n")[0].split("|") if "快捷方式=" in record else []
    results.check(len(shortcuts) == 4, f"four shortcuts are recorded ({len(shortcuts)})")
    for shortcut in shortcuts:
        info = lnk_info(wine.unix_path(shortcut))
        results.check(os.path.exists(wine.unix_path(shortcut)), f"shortcut {shortcut} exists")
        results.check((folder + "\\").lower() in info.lower(), f"shortcut {os.path.basename(shortcut)} points into the installation")
    code, out = wine.reg_query(UNINSTALL_KEY)
    results.check(code == 0, "the uninstall key exists")
    results.check("Veltaro 会计从业考试题库" in out and "V4.6" in out and "Publisher" in out, "name, version and publisher are registered")
    results.check(f'"{folder}\\Uninstall.exe"'.lower() in out.lower(), "the uninstall command is the quoted uninstaller")
    results.check(f"{folder}\\会计从业资格.exe".lower() in out.lower(), "the display icon is the main program")
    check_entry_extras(wine, out, folder, payload, results)
    for _ in range(20):
        if os.path.exists(os.path.join(target, "started.mark")):
            break
        time.sleep(0.5)
    results.check(os.path.exists(os.path.join(target, "started.mark")), "the product was started")
    wine.driver("close", "Veltaro 会计从业考试题库 V4.6")  # the product's window
    return shortcuts, record


def registry_values(query_output):
    """{name: (type, data)} of the value lines `wine reg query` prints for one key."""
    values = {}
    for line in query_output.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
    return values


def check_entry_extras(wine, query_output, folder, payload, results):
    """What the list of installed programs shows beyond the five texts, and that it lists us."""
    values = registry_values(query_output)
    with zipfile.ZipFile(payload) as archive:
        unpacked = sum(info.file_size for info in archive.infolist())
    kib = (unpacked + 1023) // 1024
    results.check(values.get("InstallLocation", ("", ""))[1].lower() == folder.lower(),
                  f"the entry names the installation folder ({values.get('InstallLocation')})")
    size = values.get("EstimatedSize", ("", ""))
    results.check(size[0] == "REG_DWORD" and int(size[1], 16) == kib, f"the entry's size is {kib} KiB ({size})")
    for name in ("NoModify", "NoRepair"):
        value = values.get(name, ("", ""))
        results.check(value[0] == "REG_DWORD" and int(value[1], 16) == 1, f"{name} is 1 ({value})")
    listed = wine.run("uninstaller", "--list", timeout=60)[1]
    results.check("Veltaro 会计从业考试题库" in listed, f"Wine's list of programs shows the product ({listed.strip()!r})")


def scenario_uninstall(wine, shortcuts, record, results):
    print("uninstallation", flush=True)
    folder = "C:\\" + PRODUCT
    group = record.split("程序组=")[1].split("\r\n")[0]
    # The stand-in product's mark is its word to this test; files a real product writes into its
    # folder stay after an uninstall, as the scenario of the user's own files shows.
    mark = os.path.join(wine.unix_path(folder), "started.mark")
    if os.path.exists(mark):
        os.remove(mark)
    process = wine.start(folder + "\\Uninstall.exe")
    code, text = wine.driver("box", 20)
    results.check(code == 0 and "确定要卸载" in text, f"the uninstaller asks first ({text!r})")
    wine.driver("answer", 6)
    code, text = wine.driver("box", 60)
    results.check(code == 0 and "卸载完成" in text, "the uninstaller reports it is done")
    wine.driver("answer", 1)
    process.wait(timeout=within(60))
    # The uninstaller's copy in the temporary folder finishes the removal after it has gone.
    deadline = time.time() + within(60)
    while os.path.exists(wine.unix_path(folder)) and time.time() < deadline:
        time.sleep(1)
    results.check(not os.path.exists(wine.unix_path(folder)), "the installation folder is gone")
    results.check(not os.path.exists(wine.unix_path("C:\\Veltaro")), "the Veltaro folder is gone")
    results.check(all(not os.path.exists(wine.unix_path(s)) for s in shortcuts), "every shortcut is gone")
    results.check(not os.path.exists(wine.unix_path(group)), "the program group is gone")
    results.check(wine.reg_query(UNINSTALL_KEY)[0] != 0, "the uninstall key is gone")


def scenario_no_options(wine, exe, results, artifacts, drive_folder):
    print("every option cleared, installed on a mapped drive picked in the folder dialog", flush=True)
    with Installer(wine, exe, results, artifacts) as run:
        run.open_custom_page()
        run.click(BROWSE_BUTTON)
        code, said = wine.driver("browse", "D:\\")
        if code != 0:
            wine.driver("browse", "cancel")
        results.check(code == 0, f"the folder dialog picks the drive root D:\\ ({said.strip()!r})")
        expected = "D:\\" + PRODUCT
        shown = wait_until(lambda: same_path(run.text_at(FOLDER_BOX), expected), 5)
        results.check(shown, "a drive root gives D:\\Veltaro\\会计从业资格"
                      + ("" if shown else f" (the box shows {run.text_at(FOLDER_BOX)!r})"))
        if not shown:
            return  # installing elsewhere would leave this run's later scenarios another machine
        for box in (DESKTOP_BOX, START_MENU_BOX, QUICK_LAUNCH_BOX):
            run.click(box)
        run.press(CUSTOM_INSTALL_BUTTON)
        results.check(run.wait_finish_page(300), "the finish page appears")
        run.click(START_PRODUCT_BOX)
        run.click(FINISH_BUTTON)
        wine.driver("wait-gone", 10)
    target = resolve(drive_folder, ["Veltaro", "会计从业资格"])
    record = read_record(os.path.join(target, "Uninstall.ini"))
    results.check("快捷方式=\r\n" in record or "快捷方式=" not in record, "no shortcut is recorded")
    results.check("程序组=\r\n" in record or "程序组=" not in record, "no program group is recorded")
    time.sleep(2)
    results.check(not os.path.exists(os.path.join(target, "started.mark")), "the product is not started")


def answer_refusals(run, results, cases):
    """Types each folder, asks to install, and expects the box with its message."""
    for typed, message, drive_folder in cases:
        if not run.type(FOLDER_BOX, typed):
            continue
        run.press(CUSTOM_INSTALL_BUTTON)
        text = run.box(120)
        shown = text is not None and "提示" in text and message in text
        results.check(shown, f"{typed!r} shows “{message}”" + ("" if shown else f" (it shows {text!r})"))
        if text and message.startswith("安装盘剩余"):
            run.screenshot("message-no-room")
        run.answer(1)
        time.sleep(0.5)
        results.check(run.text_at(FOLDER_BOX) != "", "the user is back on the folder page")
        if drive_folder:
            left = [n for n in os.listdir(drive_folder) if n.lower() != "veltaro"] + \
                   (os.listdir(os.path.join(drive_folder, "VELTARO")) if os.path.isdir(os.path.join(drive_folder, "VELTARO")) else [])
            results.check(not left, f"nothing is left on {typed[:2]} ({left[:3]})")


def refusals_leave_nothing(wine, exe, results, artifacts, cases):
    wine.run("reg", "delete", UNINSTALL_KEY, "/f")  # left by an installation before
    before = drive_c_snapshot(wine)
    with Installer(wine, exe, results, artifacts) as run:
        run.open_custom_page()
        answer_refusals(run, results, cases)
        run.click(CLOSE_BUTTON)
    after = drive_c_snapshot(wine)
    results.check(after == before, "drive C is as before: " + describe_difference(before, after))
    results.check(wine.reg_query(UNINSTALL_KEY)[0] != 0, "nothing was registered")


def scenario_refusals(wine, exe, results, artifacts):
    print("paths and drives that do not allow an installation", flush=True)
    refusals_leave_nothing(wine, exe, results, artifacts,
                           [("Q:\\Veltaro", "安装盘符不存在,请重新选择!", None),
                            ("abc", "安装路径有误,请重新选择!", None),
                            # € is the single byte 0x80 to Windows: "C:\€\" would be read as one name
                            ("C:\\€\\Veltaro", "安装路径有误,请重新选择!", None),
                            ("C:\\a|b", "安装路径有误,请重新选择!", None)])


def scenario_full_drives(wine, exe, results, artifacts, full_drive, read_only):
    print("drives without room, or refusing writes", flush=True)
    wine.boot({"s": full_drive, "r": read_only})
    refusals_leave_nothing(wine, exe, results, artifacts,
                           [("S:\\VELTARO", "安装盘剩余空间不足,请重新选择安装路径!", full_drive),
                            ("R:\\VELTARO", "安装失败,软件文件未能完整写入,请重新选择安装路径!", read_only)])


def scenario_trailing_separator(wine, exe, payload, results, artifacts):
    print("a folder typed with a separator after a Chinese character", flush=True)
    wine.boot({})
    # 件 is 0xBC 0xFE in GBK: the last separator follows a trail byte with bit 7 set.
    with Installer(wine, exe, results, artifacts) as run:
        if not type_folder_and_install(run, "C:\\软件\\"):
            return
        results.check(run.wait_finish_page(300), "the installation into C:\\软件 finishes without a message")
        finish_without_starting(run)
    check_installed_and_logged(wine, "C:\\软件", payload, results)


def check_installed_and_logged(wine, folder, payload, results):
    """The archive is on disk and the log names every one of its folders and files."""
    target = wine.unix_path(folder)
    compare_with_archive(payload, target, results)
    log = read_log(os.path.join(target, "Uninstall.log"))
    logged = {line.lower() for line in log}
    missing = [f"{kind} {name}" for kind, name in archive_items(payload) if f"{kind} {name}".lower() not in logged]
    results.check(log[0].startswith("Veltaro install log") and f"folder={folder}".lower() in logged,
                  "the log names the installation folder")
    results.check(not missing, f"the log lists every folder and file of the archive ({missing[:3]})")


def install_in_fresh_prefix(wine, exe, results, artifacts):
    """A fresh prefix with the product installed into the default folder; that folder."""
    wine.boot({})
    with Installer(wine, exe, results, artifacts) as run:
        run.press(INSTALL_BUTTON)
        results.check(run.wait_finish_page(300), "the default installation finishes")
        finish_without_starting(run)
    return "C:\\" + PRODUCT


def scenario_user_files_survive(wine, exe, payload, results, artifacts):
    print("files the user keeps in the product folder survive an uninstall", flush=True)
    folder = install_in_fresh_prefix(wine, exe, results, artifacts)
    check_installed_and_logged(wine, folder, payload, results)
    target = wine.unix_path(folder)
    record = read_record(os.path.join(target, "Uninstall.ini"))
    shortcuts = record.split("快捷方式=")[1].split("\r\n")[0].split("|")
    group = record.split("程序组=")[1].split("\r\n")[0]
    mine = {"我的笔记.txt": b"notes\r\n", os.path.join("我的资料", "账目.txt"): b"accounts",
            os.path.join("我的资料", "旧", "备忘.txt"): b"memo"}
    write_files(target, mine)
    text = uninstall(wine, folder, results)
    results.check("卸载完成" in text and "保留" in text, f"the closing box says the folder was kept ({text!r})")
    kept = {name: open(os.path.join(target, name), "rb").read() == data
            for name, data in mine.items() if os.path.exists(os.path.join(target, name))}
    results.check(len(kept) == len(mine) and all(kept.values()), "the user's files are still there, unchanged")
    left = [name for kind, name in archive_items(payload)
            if kind == "F" and os.path.exists(resolve(target, name.split("\\")))]
    results.check(not left, f"every file of the product is gone ({left[:3]})")
    left = sorted(os.listdir(target)) if os.path.isdir(target) else None
    results.check(left == sorted(["我的笔记.txt", "我的资料"]), f"the folder holds only the user's files ({left})")
    results.check(all(not os.path.exists(wine.unix_path(s)) for s in shortcuts), "every shortcut is gone")
    results.check(not os.path.exists(wine.unix_path(group)), "the program group is gone")
    results.check(wine.reg_query(UNINSTALL_KEY)[0] != 0, "the uninstall entry is gone")


def scenario_folder_swapped_for_link(wine, exe, results, artifacts):
    """A listed folder swapped for a link to someone else's files while the uninstaller waits for a
    held file: every later attempt checks the path again, and no file behind the link goes."""
    print("a listed folder swapped for a link while the uninstaller waits", flush=True)
    folder = install_in_fresh_prefix(wine, exe, results, artifacts)
    target = wine.unix_path(folder)
    listed = resolve(target, ["模拟考试"])
    theirs = os.path.join(wine.prefix, "drive_c", "别人的")
    os.makedirs(theirs)
    for name in os.listdir(listed):
        with open(os.path.join(theirs, name), "wb") as f:
            f.write(b"theirs")
    before = tree_snapshot(theirs)
    # First a log edited to list x€\1.exe, with x€ a link to the other files: Windows reads the
    # byte 0x80 as the character €, not as the lead byte of a character swallowing the "\", so
    # the uninstaller must refuse the log rather than find "one name" inside the folder.
    log_file = os.path.join(target, "Uninstall.log")
    with open(log_file, "rb") as f:
        earlier_log = f.read()
    lines = earlier_log.split(b"\r\n")
    end = next(i for i, line in enumerate(lines) if line.startswith(b"end "))
    lines[end:end + 1] = [b"F x\x80\\1.exe", b"end %d" % (int(lines[end][4:]) + 1)]
    with open(log_file, "wb") as f:
        f.write(b"\r\n".join(lines))
    os.symlink(theirs, os.path.join(target, "x\u20ac"))
    text = uninstall(wine, folder, results, expect_question=False)
    refused = results.check("Uninstall.log" in text, f"a listed name with the byte 0x80 is refused ({text!r})")
    results.check(tree_snapshot(theirs) == before, "and nothing behind the link is touched")
    if not refused:
        return  # the uninstaller went ahead: there is no installation left for the swap
    os.remove(os.path.join(target, "x\u20ac"))
    with open(log_file, "wb") as f:
        f.write(earlier_log)
    holder = HeldFile(wine, folder + "\\模拟考试\\1.exe")
    results.check(holder.wait_held(), "a listed file is held open")
    process = wine.start(folder + "\\Uninstall.exe")
    code, text = wine.driver("box", 30)
    results.check(code == 0 and "确定要卸载" in text, f"the uninstaller asks first ({text!r})")
    wine.driver("answer", IDYES)
    # Once the other files of the folder are gone the uninstaller is waiting for the held one:
    # then the folder becomes a link to the other files (a Unix link: Wine shows it as a
    # reparse point, as Windows shows a junction) and the file is let go.
    waiting = wait_until(lambda: os.path.isdir(listed) and os.listdir(listed) == ["1.exe"], 120)
    results.check(waiting, "the uninstaller removes the folder's other files and waits for the held one")
    os.rename(listed, listed + ".away")
    os.symlink(theirs, listed)
    holder.let_go()
    code, text = wine.driver("box", 60)
    wine.driver("answer", IDOK)
    process.wait(timeout=within(60))
    holder.wait_gone()
    # Done, not "in use": the file was let go while the uninstaller was still trying again.
    results.check(code == 0 and "保留" in text, f"the uninstaller finishes and keeps what is not its own ({text!r})")
    after = tree_snapshot(theirs)
    results.check(after == before, "the files behind the link are untouched: " + describe_difference(before, after))
    results.check(os.path.exists(os.path.join(listed + ".away", "1.exe")), "the held file stays where it was")


def scenario_folder_in_use(wine, exe, payload, results, artifacts):
    print("a folder of the user's own that already holds files", flush=True)
    wine.boot({})
    # Typed in ASCII: Wine hands the edit box a Chinese character typed through SendInput as
    # question marks (its subclass procedure is a Unicode one); the files inside have GBK names.
    folder = "C:\\MyFiles"
    own = os.path.join(wine.prefix, "drive_c", "MyFiles")
    write_files(own, {"账本.xls": os.urandom(3000), os.path.join("子目录", "备注.txt"): b"note"})
    # A record and a log naming the folder, which anyone who may write there can make, are no
    # earlier installation without the product's entry in the list of programs; and a folder of
    # the product that is a link to someone else's files (a Unix link: Wine shows it as a reparse
    # point, as Windows shows a junction) is never written through.
    forged = {"Uninstall.ini": f"[路径]\r\n路径={folder}\r\n".encode("gbk"),
              "Uninstall.log": f"Veltaro install log 1\r\nfolder={folder}\r\nmade=\r\nend 0\r\n".encode("gbk")}
    write_files(own, forged)
    theirs = os.path.join(wine.prefix, "drive_c", "别人的")
    os.makedirs(theirs)
    with open(os.path.join(theirs, "1.exe"), "wb") as f:
        f.write(b"theirs")
    os.symlink(theirs, os.path.join(own, "模拟考试"))
    before = tree_snapshot(own)
    theirs_before = tree_snapshot(theirs)
    with Installer(wine, exe, results, artifacts) as run:
        if not type_folder_and_install(run, folder):
            return
        text = run.box(60)
        results.check(text is not None and FOLDER_IN_USE_QUESTION in text and "提示" in text,
                      f"installing into it asks first, whatever record it holds ({text!r})")
        run.screenshot("question-folder-in-use")
        run.answer(IDNO)
        time.sleep(0.5)
        results.check(same_path(run.text_at(FOLDER_BOX), folder), "否 goes back to the folder page")
        results.check(tree_snapshot(own) == before, "否 leaves the folder byte for byte as it was")
        run.press(CUSTOM_INSTALL_BUTTON)
        text = run.box(60)
        results.check(text is not None and FOLDER_IN_USE_QUESTION in text, "asked again, 是 tries to install")
        run.answer(IDYES)
        text = run.failure_box(300)
        results.check(text is not None and FAILED_MESSAGE in text, f"the link stops the installation ({text!r})")
        run.answer(IDOK)
        time.sleep(0.5)
        after = tree_snapshot(own)
        results.check(after == before, "the failed installation leaves the folder as it was: "
                      + describe_difference(before, after))
        results.check(tree_snapshot(theirs) == theirs_before, "nothing is written behind the link")
        for name in ["模拟考试", *forged]:
            os.remove(os.path.join(own, name))
        before = tree_snapshot(own)
        run.press(CUSTOM_INSTALL_BUTTON)
        text = run.box(60)
        results.check(text is not None and FOLDER_IN_USE_QUESTION in text, "without the link, 是 installs")
        run.answer(IDYES)
        results.check(run.wait_finish_page(300), "the installation into the folder finishes")
        finish_without_starting(run)
    check_installed_and_logged(wine, folder, payload, results)
    text = uninstall(wine, folder, results)
    results.check("卸载完成" in text, f"the uninstaller says it is done ({text!r})")
    after = tree_snapshot(own)
    results.check(after == before, "after the uninstall exactly the user's files are left: "
                  + describe_difference(before, after))
    results.check(wine.reg_query(UNINSTALL_KEY)[0] != 0, "the uninstall entry is gone")


def scenario_protected_folders(wine, exe, results, artifacts):
    print("system and user folders are refused", flush=True)
    wine.boot({})
    profile = profile_folder(wine)
    cases = ["C:\\windows\\system32", "c:\\WINDOWS\\", "C:\\windows\\Fonts\\Veltaro", "C:\\Program Files",
             "C:\\ProgramData", "C:\\users", profile, profile + "\\Desktop", profile + "\\Documents",
             "C:\\users\\Public"]
    before = drive_c_snapshot(wine)
    with Installer(wine, exe, results, artifacts) as run:
        run.open_custom_page()
        for typed in cases:
            if not run.type(FOLDER_BOX, typed):
                continue
            run.press(CUSTOM_INSTALL_BUTTON)
            text = run.box(60)
            results.check(text is not None and PROTECTED_MESSAGE in text, f"{typed!r} is refused ({text!r})")
            if typed == cases[0]:
                run.screenshot("message-protected-folder")
            run.answer(IDOK)
            time.sleep(0.3)
        run.click(CUSTOM_BACK_LINK)
        run.click(CLOSE_BUTTON)
    after = drive_c_snapshot(wine)
    results.check(after == before, "nothing was written on drive C: " + describe_difference(before, after))
    results.check(wine.reg_query(UNINSTALL_KEY)[0] != 0, "nothing was registered")


def scenario_reinstall(wine, exe, damaged, payload, results, artifacts):
    print("installing again over an earlier installation, and failing late over it", flush=True)
    wine.boot({})
    folder = "C:\\" + PRODUCT
    for attempt in ("first", "second"):
        with Installer(wine, exe, results, artifacts) as run:
            run.press(INSTALL_BUTTON)
            results.check(run.wait_finish_page(300), f"the {attempt} installation finishes without a question")
            finish_without_starting(run)
    check_installed_and_logged(wine, folder, payload, results)
    # The same product with its twelfth file damaged: the earlier file of that name must survive
    # the failed entry, and so must the first file, which an earlier version brought with other
    # bytes and which the failed attempt had already replaced by a whole entry. The earlier
    # installation must stay whole and uninstallable.
    first = next(name for kind, name in archive_items(payload) if kind == "F")
    with open(resolve(wine.unix_path(folder), first.split("\\")), "wb") as f:
        f.write(b"the earlier version's bytes")
    before, entry_before = drive_c_snapshot(wine), wine.reg_query(UNINSTALL_KEY)
    install_failing_late(wine, damaged, results, artifacts)
    after = drive_c_snapshot(wine)
    results.check(after == before, "the failed reinstall leaves drive C as it was: " + describe_difference(before, after))
    results.check(wine.reg_query(UNINSTALL_KEY) == entry_before, "and the uninstall entry as it was")
    fail_after_registration(wine, exe, results, artifacts)
    after = drive_c_snapshot(wine)
    results.check(after == before, "so does one into another folder that fails after its registration: "
                  + describe_difference(before, after))
    results.check(wine.reg_query(UNINSTALL_KEY) == entry_before, "and the uninstall entry is the earlier one again")
    text = uninstall(wine, folder, results)
    results.check("卸载完成" in text and "保留" not in text, f"the uninstaller says it is done ({text!r})")
    deadline = time.time() + within(30)
    while os.path.exists(wine.unix_path("C:\\Veltaro")) and time.time() < deadline:
        time.sleep(0.5)
    results.check(not os.path.exists(wine.unix_path("C:\\Veltaro")), "nothing is left of the product")
    results.check(wine.reg_query(UNINSTALL_KEY)[0] != 0, "the uninstall entry is gone")


def fail_after_registration(wine, exe, results, artifacts):
    """Installs into C:\\Other, the folder of another program that keeps a record of the same shape
    and holds its log open while it runs: 是 installs, and the last step, the new log taking the
    held one's place, fails after the registration. What the attempt made and changed (its
    files, the shortcuts it replaced, the entry's values, that program's Uninstall.ini) must be
    as before; the folder is left holding only that program's files."""
    own = os.path.join(wine.prefix, "drive_c", "Other")
    write_files(own, {"Uninstall.ini": "[路径]\r\n路径=C:\\Other\r\n".encode("gbk"),
                      "Uninstall.log": b"its own log\r\n"})
    holder = HeldFile(wine, "C:\\Other\\Uninstall.log")
    results.check(holder.wait_held(), "the other program holds its log")
    theirs = tree_snapshot(own)
    with Installer(wine, exe, results, artifacts) as run:
        if type_folder_and_install(run, "C:\\Other"):
            text = run.box(60)
            results.check(text is not None and FOLDER_IN_USE_QUESTION in text, f"the folder is taken only when 是 ({text!r})")
            run.answer(IDYES)
            text = run.failure_box(300)
            results.check(text is not None and FAILED_MESSAGE in text, f"the held log fails the installation ({text!r})")
            run.answer(IDOK)
            time.sleep(0.5)
        run.click(CUSTOM_BACK_LINK)
        run.click(CLOSE_BUTTON)
    holder.let_go()
    holder.wait_gone()
    after = tree_snapshot(own)
    results.check(after == theirs, "the other program's folder is as it was: " + describe_difference(theirs, after))
    shutil.rmtree(own)


def install_failing_late(wine, exe, results, artifacts):
    """Runs the installer of the damaged product into the default folder: it fails with its
    message and brings the user back to the folder page, and the window is closed."""
    with Installer(wine, exe, results, artifacts) as run:
        run.press(INSTALL_BUTTON)
        text = run.failure_box(300)
        results.check(text is not None and FAILED_MESSAGE in text, f"the installation fails with the message ({text!r})")
        run.answer(IDOK)
        time.sleep(0.5)
        results.check(same_path(run.text_at(FOLDER_BOX), "C:\\" + PRODUCT), "the user is back on the folder page")
        run.click(CUSTOM_BACK_LINK)
        run.click(CLOSE_BUTTON)


def scenario_damaged_product(wine, exe, results, artifacts):
    print("a product damaged late in its archive", flush=True)
    wine.boot({})
    before = drive_c_snapshot(wine)
    install_failing_late(wine, exe, results, artifacts)
    after = drive_c_snapshot(wine)
    results.check(after == before, "drive C is exactly as before: " + describe_difference(before, after))
    results.check(wine.reg_query(UNINSTALL_KEY)[0] != 0, "nothing was registered")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--payload", required=True)
    parser.add_argument("--only", nargs="*", help="run only these scenarios (by the words after scenario_)")
    parser.add_argument("--skip", nargs="*", default=[], help="leave these scenarios out")
    parser.add_argument("--work", default="e2e", help="the folder under the build folder for the prefix, the drives "
                        "and (under artifacts/) the screenshots: runs side by side need one each")
    options = parser.parse_args()
    build = os.path.abspath(options.build)
    work = os.path.join(build, options.work)
    artifacts = os.path.join(build, "artifacts", options.work)
    wine = Wine(build, os.path.join(work, "prefix"))
    results = Results()
    exe = os.path.join(build, "veltaro-setup.exe")
    small = os.path.join(build, "veltaro-setup-small.exe")
    damaged = os.path.join(build, "veltaro-setup-damaged.exe")
    small_payload = os.path.join(build, "product", "veltaro-product-small.zip")
    drive_d = os.path.join(work, "drive-d")
    full = os.path.join(work, "drive-s")
    read_only = os.path.join(work, "drive-r")
    for folder in (drive_d, full, read_only):
        subprocess.run(["umount", folder], capture_output=True)  # left mounted by a run that was cut short
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder, exist_ok=True)

    def wanted(name):
        return (not options.only or name in options.only) and name not in options.skip

    skipped = False
    try:
        if wanted("default"):
            wine.boot({"d": drive_d})
            check_executable(exe, results)
            scenario_first_look(wine, small, results, artifacts)
            shortcuts, record = scenario_default_install(wine, exe, options.payload, results, artifacts)
            scenario_uninstall(wine, shortcuts, record, results)
            scenario_no_options(wine, small, results, artifacts, drive_d)
            scenario_refusals(wine, exe, results, artifacts)
        # Each in a fresh prefix: what one leaves behind must not help or hide another.
        if wanted("full_drives"):
            # A small drive has no room for the product; a large read-only one has room but
            # refuses writes (root ignores permission bits, so the refusal has to come from the
            # filesystem).
            mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=24m", "tmpfs", full],
                                     capture_output=True).returncode == 0
            mounted = mounted and subprocess.run(["mount", "-t", "tmpfs", "-o", "size=1g,ro", "tmpfs", read_only],
                                                 capture_output=True).returncode == 0
            if mounted:
                scenario_full_drives(wine, exe, results, artifacts, full, read_only)
            else:
                skipped = True
                print("  skip  the full and read-only drives need two tmpfs mounts (mount was refused)")
        if wanted("trailing_separator"):
            scenario_trailing_separator(wine, small, small_payload, results, artifacts)
        if wanted("user_files"):
            scenario_user_files_survive(wine, small, small_payload, results, artifacts)
        if wanted("swapped_folder"):
            scenario_folder_swapped_for_link(wine, small, results, artifacts)
        if wanted("folder_in_use"):
            scenario_folder_in_use(wine, small, small_payload, results, artifacts)
        if wanted("protected"):
            scenario_protected_folders(wine, small, results, artifacts)
        if wanted("reinstall"):
            scenario_reinstall(wine, small, damaged, small_payload, results, artifacts)
        if wanted("damaged"):
            scenario_damaged_product(wine, damaged, results, artifacts)
    except InstallerMissing as missing:
        results.check(False, f"{missing}: the scenarios after it are left out")
    finally:
        subprocess.run(["wineserver", "-k"], env=wine.env)
        for folder in (full, read_only):
            subprocess.run(["umount", folder], capture_output=True)
    print(f"{results.passed} passed, {results.failed} failed")
    if results.failed:
        return 1
    return SKIPPED if skipped else 0


if __name__ == "__main__":
    sys.exit(main())
