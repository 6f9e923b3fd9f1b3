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

import screens
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
    return start_x_server(["Xvfb", "-screen", "0", "%dx%dx24" % (width, height), *extra_args], log_path, timeout)


def start_x_server(command, log_path, timeout=20, display=None):
    """Starts an X server (Xvfb, or Xephyr showing on `display`) on a display
    number it picks itself; returns (pid, ':N')."""
    read_end, write_end = os.pipe()
    env = dict(os.environ, DISPLAY=display) if display else None
    with open(log_path, "ab") as out:
        proc = subprocess.Popen([command[0], "-displayfd", str(write_end), "-nolisten", "tcp", "-noreset",
                                 *command[1:]], pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=out,
                                stderr=out, start_new_session=True, env=env)
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
        raise wh.HarnessError("%s did not report a display; see %s" % (command[0], log_path))
    return proc.pid, ":" + number.strip().decode()


def start_screen(spec, log_path):
    """Starts the X servers of a screen spec (see screens.py): an Xvfb, and
    for several monitors a Xephyr inside it with one X screen a monitor,
    joined by Xinerama. Returns the screen's state for env.json."""
    screen = screens.parse(spec)
    width, height = screen.size
    pid, display = start_xvfb(width, height, log_path)
    state = {"display": display, "width": width, "height": height, "xvfb_pid": pid, "spec": spec}
    if screen.multi:
        try:
            state["xephyr_pid"], state["display"] = start_x_server(
                ["Xephyr", "-no-host-grab", *screen.xephyr_args()], log_path, display=display)
        except Exception:
            stop_x_server(pid)
            raise
    return state


def stop_screen(state):
    stop_x_server(state.get("xephyr_pid", 0))
    stop_x_server(state["xvfb_pid"])


def is_our_x_server(pid):
    args = wh._read("/proc/%d/cmdline" % pid).split(b"\0") if pid else []
    return bool(args) and args[0].endswith((b"Xvfb", b"Xephyr")) and b"-displayfd" in args


def stop_x_server(pid):
    if not is_our_x_server(pid):
        return
    os.kill(pid, signal.SIGTERM)
    if not wh.wait_until(lambda: not is_our_x_server(pid), 5):
        wh.kill_pid(pid)


stop_xvfb = stop_x_server  # the name the other measuring scripts use


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
        lines.append("# screen %s: DISPLAY=%s (%s)" % (name, screen["display"], screen["spec"]))
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
        for name, spec in config["screens"].items():
            screen = state["screens"][name] = start_screen(spec, directory / "xvfb.log")
            wh.save_json(directory / "env.json", state)  # so a failed setup can still be cleaned up
            log("screen %s: %s on %s (%s)" % (name, spec, screen["display"], ", ".join(
                "%s pid %d" % (kind, screen[kind + "_pid"]) for kind in ("xvfb", "xephyr") if kind + "_pid" in screen)))
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
        stop_screen(screen)
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
