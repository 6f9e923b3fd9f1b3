#!/usr/bin/env python3
"""Sets up and tears down the setup program's test run under Wine.

    installer_fixture.py setup --version X --holder EXE --witness EXE   pack a signed
        release and an older setup and newer package, then start a private Xvfb
        and a fresh Wine prefix (the end-to-end fixture's, with one screen)
    installer_fixture.py cleanup             end them and remove the prefix,
        the release and the certificate

The run directory is MORVELUX_E2E_DIR; MORVELUX_E2E_CONFIG names the end-to-end
run's config.json, whose programs this run uses too. Installing into the
system folder happens only in this run's own prefix.
"""
import argparse
import os
import shutil
import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

import e2e_fixture  # noqa: E402
import wine_harness as wh  # noqa: E402
from throwaway_certificate import Certificate  # noqa: E402

SCREEN = "1024x768"
OLDER_VERSION = "0.0.1"
NEWER_VERSION = "9.9.9"
# Shortcuts a setup makes must not reach the desktop menus of whoever runs the tests.
PREFIX_SETTINGS = r"""REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"winemenubuilder.exe"=""
"""


def log(message):
    print("installer: %s" % message, flush=True)


def write_config(directory):
    config = wh.load_json(os.environ["MORVELUX_E2E_CONFIG"])
    config["screens"] = {"main": SCREEN}
    wh.save_json(directory / "config.json", config)
    return config


def pack_release(directory, version, config, programs):
    """The signed release to install, a setup of an older version to upgrade
    from and a package of a newer one (carrying the unstripped program, so
    they differ)."""
    certificate = Certificate(directory / "certificate")
    dist = directory / "dist"
    run([ROOT / "scripts" / "package", "--no-build", "--out", dist, "win64", "win32"], certificate.environment())
    older = directory / "other-versions" / ("Morvelux-%s-setup-x64.exe" % OLDER_VERSION)
    newer = directory / "other-versions" / ("Morvelux-%s-x64.msi" % NEWER_VERSION)
    older.parent.mkdir(exist_ok=True)
    run([ROOT / "installer" / "make-setup", "x64", OLDER_VERSION, config["saver"], older], dict(os.environ))
    run([ROOT / "installer" / "make-msi", "x64", NEWER_VERSION, config["saver"], newer], dict(os.environ))
    wh.save_json(directory / "release.json", {
        "version": version,
        "setup": str(dist / ("Morvelux-%s-setup-x64.exe" % version)),
        "zip": str(dist / ("Morvelux-%s-win64.zip" % version)),
        "msi": str(dist / ("Morvelux-%s-x64.msi" % version)),
        "msi_x86": str(dist / ("Morvelux-%s-x86.msi" % version)),
        "zip_x86": str(dist / ("Morvelux-%s-win32.zip" % version)),
        "older_version": OLDER_VERSION,
        "older_setup": str(older),
        "newer_version": NEWER_VERSION,
        "newer_msi": str(newer),
        "newer_payload": config["saver"],
        "older_payload": config["saver"],
        "certificate": str(certificate.pem),
        **programs,
    })


def run(args, env):
    result = subprocess.run([str(a) for a in args], env=env, capture_output=True, text=True, timeout=120)
    if result.returncode != 0:
        raise wh.HarnessError("%s failed:\n%s%s" % (Path(str(args[0])).name, result.stdout, result.stderr))


def setup(directory, version, programs):
    cleanup(directory)
    directory.mkdir(parents=True, exist_ok=True)
    config = write_config(directory)
    pack_release(directory, version, config, programs)
    e2e_fixture.setup(directory)
    try:
        settings = wh.Wine("main", artifacts=directory / "artifacts" / "setup")
        settings.reg_import(PREFIX_SETTINGS)
    except Exception:
        e2e_fixture.cleanup(directory, quiet=True)
        raise


def cleanup(directory):
    if (directory / "config.json").exists():
        e2e_fixture.cleanup(directory, quiet=True)
    for made in ("dist", "other-versions", "certificate", "xdg", "release.json"):
        path = directory / made
        if path.is_dir():
            shutil.rmtree(path)
        else:
            path.unlink(missing_ok=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("action", choices=("setup", "cleanup"))
    parser.add_argument("--version")
    parser.add_argument("--holder", help="file_holder.exe, which holds a file open as the settings' preview does")
    parser.add_argument("--witness", help="command_witness.exe, which stands in for the Control Panel")
    args = parser.parse_args()
    directory = wh.run_dir()
    if args.action == "setup":
        if not (args.version and args.holder and args.witness):
            parser.error("setup needs --version, --holder and --witness")
        setup(directory, args.version, {"holder": args.holder, "witness": args.witness})
        log("release packed and prefix ready in %s" % directory)
    else:
        cleanup(directory)
    return 0


if __name__ == "__main__":
    sys.exit(main())
