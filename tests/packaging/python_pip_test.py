"""pip installs the Python binding from the checkout into a fresh virtual
environment, offline, and the installed module translates a value.

    python3 python_pip_test.py SOURCE_DIR LIBRARY WORK_DIR
"""
import os
import shutil
import subprocess
import sys
import venv


def run(command, **kwargs):
    done = subprocess.run(command, capture_output=True, text=True, **kwargs)
    if done.returncode != 0:
        sys.exit("%s failed (%d):\n%s%s" % (" ".join(command), done.returncode, done.stdout, done.stderr))
    return done.stdout


def main(source, library, work):
    shutil.rmtree(work, ignore_errors=True)
    venv.EnvBuilder(with_pip=True, clear=True).create(work)
    python = os.path.join(work, "bin", "python")
    # No index and no network: the build backend is the package's own file.
    env = dict(os.environ, PIP_NO_INDEX="1", PIP_DISABLE_PIP_VERSION_CHECK="1", PIP_NO_CACHE_DIR="1")
    env.pop("PYTHONPATH", None)
    run([python, "-m", "pip", "install", os.path.join(source, "bindings", "python")], env=env)
    env["TAVO32_LIBRARY"] = library
    code = ("import tavo32, sys; print(tavo32.__file__); "
            "print(tavo32.translate('EAN-13', '978012345678')); print(tavo32.translate('qr', 'A', level='H')[:6])")
    out = run([python, "-c", code], env=env, cwd=work).splitlines()
    site = os.path.realpath(work)
    checks = [
        (os.path.realpath(out[0]).startswith(site), "the module imported is the venv's, not %s" % out[0]),
        (out[1] == "+~7ia1c3|EFGHIG*_", "EAN-13 by a name with a hyphen: %r" % out[1]),
        (len(out) > 2 and len(out[2]) > 0, "QR Code with a named level"),
    ]
    listed = run([python, "-m", "pip", "show", "tavo32"], env=env)
    checks.append(("Version: " in listed, "pip knows the installed distribution"))
    failed = [why for ok, why in checks if not ok]
    for why in failed:
        print("FAILED:", why)
    shutil.rmtree(work, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
