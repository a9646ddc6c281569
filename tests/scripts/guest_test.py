#!/usr/bin/env python3
"""The emulated machine of scripts/guest, forced on with VELTARO_EMULATE=1 so that it is tried on
any machine: a command's exit status, its two output streams and a file it writes come back;
commands of one session share one boot, side by side; the guest runs i386 programs; a guest that
cannot mount this machine's root stops within its time limit and says why."""
import os
import subprocess
import sys
import tempfile
import time

TOP = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
GUEST = os.path.join(TOP, "scripts", "guest")
counts = {"passed": 0, "failed": 0}


def check(condition, what):
    print(("  ok    " if condition else "  FAIL  ") + what, flush=True)
    counts["passed" if condition else "failed"] += 1


def guest(*args, **extra):
    environment = {k: v for k, v in os.environ.items() if not k.startswith("VELTARO_")}
    environment.update(VELTARO_EMULATE="1", **extra)
    started = time.monotonic()
    done = subprocess.run([GUEST, *args], env=environment, capture_output=True, text=True, timeout=900)
    return done, time.monotonic() - started


with tempfile.TemporaryDirectory(dir=os.path.join(TOP, "build")) as scratch:
    written = os.path.join(scratch, "written.txt")
    script = (f'echo "out $VELTARO_IN_EMULATED_MACHINE"; echo err >&2; echo "from the guest" > "{written}"; '
              f'"{GUEST}" probe; exit 7')
    done, _ = guest("exec", "sh", "-c", script)
    check(done.returncode == 7, f"the exit status comes back ({done.returncode})")
    check(done.stdout == "out 1\nnative\n", f"standard output comes back, and i386 programs run in the guest ({done.stdout!r})")
    check("err\n" in done.stderr and "booting the emulated machine" in done.stderr,
          f"standard error comes back beside the session's own lines ({done.stderr.strip()[-200:]!r})")
    check(open(written).read() == "from the guest\n" if os.path.exists(written) else False, "the file it wrote is here")

    # Two commands at once in one session: both answered, by one machine.
    pair = f'"{GUEST}" exec sh -c "sleep 2; echo one" & "{GUEST}" exec sh -c "echo two; exit 3"; second=$?; wait $!; echo "$? $second"'
    done, _ = guest("session", "sh", "-c", pair)
    check(sorted(done.stdout.split()) == sorted(["one", "two", "0", "3"]), f"two commands side by side ({done.stdout!r})")
    check(done.stderr.count("booting the emulated machine") == 1, "one boot serves the session")

done, seconds = guest("exec", "true", VELTARO_GUEST_MOUNT_TAG="elsewhere", VELTARO_GUEST_BOOT_SECONDS="120")
check(done.returncode != 0 and "did not mount over 9p" in done.stderr,
      f"a root that does not mount is reported ({done.returncode}: {done.stderr.strip()[-300:]!r})")
check(seconds < 150, f"within the boot's time limit ({seconds:.0f} s)")
print(f"{counts['passed']} passed, {counts['failed']} failed")
sys.exit(1 if counts["failed"] else 0)
