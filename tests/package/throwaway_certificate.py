"""A self-signed code-signing certificate made for one test run, the
environment that makes scripts/package sign with it, and the check of a
signature against it."""
import os
import subprocess
from pathlib import Path

PASSWORD = "throwaway"


class Certificate:
    def __init__(self, folder):
        folder = Path(folder)
        folder.mkdir(parents=True, exist_ok=True)
        self.pem = folder / "signing.pem"
        self.pfx = folder / "signing.pfx"
        key = folder / "signing.key"
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=MORVELUX test signing",
                "-addext", "extendedKeyUsage=codeSigning", "-keyout", key, "-out", self.pem)
        openssl("pkcs12", "-export", "-inkey", key, "-in", self.pem, "-out", self.pfx, "-passout", "pass:" + PASSWORD)
        key.unlink()

    def environment(self):
        env = dict(os.environ)
        env.update({"MORVELUX_SIGN_CERT": str(self.pfx), "MORVELUX_SIGN_PASSWORD": PASSWORD})
        env.pop("MORVELUX_SIGN_TIMESTAMP_URL", None)  # no network here
        return env

    def verify(self, program):
        return verify(program, self.pem)


def verify(program, pem):
    """(exit code, output) of osslsigncode checking the program's signature
    and that the certificate in the PEM file made it."""
    result = subprocess.run(["osslsigncode", "verify", "-in", str(program), "-CAfile", str(pem)],
                            capture_output=True, text=True, timeout=60)
    return result.returncode, result.stdout + result.stderr


def openssl(*args):
    subprocess.run(["openssl"] + [str(a) for a in args], check=True, capture_output=True, timeout=60)
