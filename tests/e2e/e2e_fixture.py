#!/usr/bin/env python3
"""Sets up and tears down one end-to-end test run.

    e2e_fixture.py setup     start one Xvfb per configured screen, make a
                             fresh Wine prefix, write env.json and env.sh
    e2e_fixture.py cleanup   end exactly the Xvfb servers and the Wine
                             session of the run, and remove the prefix

The run directory (MORVELUX_E2E_DIR, by default build/win64/e2e) holds
config.json, which CMake writes, and everything the run makes.
"""
import os
import select
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

import wine_harness as wh

# Fixed metrics and a quiet Wine: no window manager runs, so Wine manages
# its windows itself (frames drawn by Wine, focus follows activation); Arial
# is measured with metric-compatible Liberation Sans; a crash ends the
# program instead of waiting on a crash dialog.
PREFIX_SETTINGS = r"""REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
"""


def log(message):
    print("e2e: %s" % message, flush=True)


def start_xvfb(width, height, log_path, timeout=20, extra_args=()):
    """Starts Xvfb on a display number it picks itself; returns (pid, ':N').
    extra_args go to Xvfb as they are (for example to turn an extension off)."""
    read_end, write_end = os.pipe()
    with open(log_path, "ab") as out:
        proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
                                 "-nolisten", "tcp", "-noreset", *extra_args], pass_fds=(write_end,), stdin=subprocess.DEVNULL,
                                stdout=out, stderr=out, start_new_session=True)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + timeout
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        ready, _, _ = select.select([read_end], [], [], 0.2)
        if ready:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
    os.close(read_end)
    if not number.strip().isdigit():
        proc.kill()
        raise wh.HarnessError("Xvfb did not report a display; see %s" % log_path)
    return proc.pid, ":" + number.strip().decode()


def is_our_xvfb(pid):
    args = wh._read("/proc/%d/cmdline" % pid).split(b"\0")
    return bool(args) and args[0].endswith(b"Xvfb") and b"-displayfd" in args


def stop_xvfb(pid):
    if not is_our_xvfb(pid):
        return
    os.kill(pid, signal.SIGTERM)
    if not wh.wait_until(lambda: not is_our_xvfb(pid), 5):
        wh.kill_pid(pid)


def boot_prefix(config, prefix, display, log_path):
    env = wh.wine_environment(config, prefix, display)
    with open(log_path, "ab") as out:
        code = subprocess.run([config["wine64"], "wineboot", "-i"], env=env, stdin=subprocess.DEVNULL, stdout=out,
                              stderr=out, timeout=300).returncode
    if code != 0 or not (Path(prefix) / "drive_c" / "windows").is_dir():
        raise wh.HarnessError("wineboot -i failed (code %d); see %s" % (code, log_path))
    settings = Path(prefix).parent / "prefix-settings.reg"
    settings.write_text(PREFIX_SETTINGS)
    with open(log_path, "ab") as out:
        code = subprocess.run([config["wine64"], "reg", "import", wh.windows_path(settings)], env=env,
                              stdin=subprocess.DEVNULL, stdout=out, stderr=out, timeout=60).returncode
    if code != 0:
        raise wh.HarnessError("importing the prefix settings failed; see %s" % log_path)


def write_env_sh(directory, state):
    main = state["screens"]["main"]
    lines = ["# Source this to run Wine by hand in the e2e run's prefix on its main screen.",
             "export WINEPREFIX='%s' DISPLAY='%s' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='" % (
                 state["prefix"], main["display"])]
    for name, screen in state["screens"].items():
        lines.append("# screen %s: DISPLAY=%s (%dx%d)" % (name, screen["display"], screen["width"], screen["height"]))
    (directory / "env.sh").write_text("\n".join(lines) + "\n")


def setup(directory):
    config = wh.load_json(directory / "config.json")
    cleanup(directory, quiet=True)
    started = time.monotonic()
    prefix = directory / "prefix"
    shutil.rmtree(prefix, ignore_errors=True)
    shutil.rmtree(directory / "artifacts", ignore_errors=True)
    (directory / "artifacts").mkdir(parents=True)
    state = {"prefix": str(prefix), "screens": {}}
    try:
        for name, size in config["screens"].items():
            width, height = (int(v) for v in size.split("x"))
            pid, display = start_xvfb(width, height, directory / "xvfb.log")
            state["screens"][name] = {"display": display, "width": width, "height": height, "xvfb_pid": pid}
            wh.save_json(directory / "env.json", state)  # so a failed setup can still be cleaned up
            log("screen %s: Xvfb pid %d on %s, %dx%d" % (name, pid, display, width, height))
        boot_prefix(config, prefix, state["screens"]["main"]["display"], directory / "wineboot.log")
        wh.stop_wineserver(config, str(prefix))
        wh.use_screen(directory, "main")
    except Exception:
        cleanup(directory, quiet=True)
        raise
    write_env_sh(directory, state)
    log("prefix %s ready in %.1fs" % (prefix, time.monotonic() - started))


def cleanup(directory, quiet=False):
    state_path = directory / "env.json"
    if not state_path.exists():
        if not quiet:
            log("nothing to clean up in %s" % directory)
        return
    config = wh.load_json(directory / "config.json")
    state = wh.load_json(state_path)
    prefix = state["prefix"]
    left = [p for p in wh.processes_in_prefix(prefix) if not p.image.startswith("wineserver")]
    wh.stop_wineserver(config, prefix)
    for screen in state["screens"].values():
        stop_xvfb(screen["xvfb_pid"])
    if not os.environ.get("MORVELUX_E2E_KEEP_PREFIX"):
        shutil.rmtree(prefix, ignore_errors=True)
    for name in ("env.json", "server.json", "env.sh"):
        (directory / name).unlink(missing_ok=True)
    if not quiet:
        log("stopped %d Wine processes and %d Xvfb servers" % (len(left), len(state["screens"])))


def main():
    if len(sys.argv) != 2 or sys.argv[1] not in ("setup", "cleanup"):
        print(__doc__, file=sys.stderr)
        return 2
    directory = wh.run_dir()
    (setup if sys.argv[1] == "setup" else cleanup)(directory)
    return 0


if __name__ == "__main__":
    sys.exit(main())
