"""A PEP 517 build backend in the standard library alone, so that
`pip install bindings/python` works offline in a fresh virtual environment.

The distribution is the single module tavo32.py; its version is the
library version the module's tables were written from (REGISTRY_VERSION).
"""
import base64
import hashlib
import io
import os
import re
import tarfile
import zipfile

NAME = "tavo32"
HERE = os.path.dirname(os.path.abspath(__file__))
SUMMARY = "TAVO32 bar code font translation (ctypes binding of libtavo32 / tavo32.dll)"


def _version():
    with open(os.path.join(HERE, "tavo32.py"), encoding="utf-8") as f:
        m = re.search(r"^REGISTRY_VERSION = '([0-9.]+)'$", f.read(), re.M)
    if not m:
        raise RuntimeError("tavo32.py has no REGISTRY_VERSION: run bindings/generate_tables.py")
    return m.group(1)


def _metadata():
    return ("Metadata-Version: 2.1\nName: %s\nVersion: %s\nSummary: %s\nRequires-Python: >=3.8\n"
            % (NAME, _version(), SUMMARY))


def _record_line(path, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return "%s,sha256=%s,%d" % (path, digest, len(data))


def _wheel_files():
    info = "%s-%s.dist-info" % (NAME, _version())
    with open(os.path.join(HERE, "tavo32.py"), "rb") as f:
        files = [("tavo32.py", f.read())]
    files.append((info + "/METADATA", _metadata().encode()))
    files.append((info + "/WHEEL", b"Wheel-Version: 1.0\nGenerator: tavo_build\nRoot-Is-Purelib: true\n"
                                   b"Tag: py3-none-any\n"))
    record = [_record_line(p, d) for p, d in files] + [info + "/RECORD,,"]
    files.append((info + "/RECORD", ("\n".join(record) + "\n").encode()))
    return files


def _write_wheel(directory):
    name = "%s-%s-py3-none-any.whl" % (NAME, _version())
    path = os.path.join(directory, name)
    with zipfile.ZipFile(path + ".tmp", "w", zipfile.ZIP_DEFLATED) as wheel:
        for arcname, data in _wheel_files():
            wheel.writestr(zipfile.ZipInfo(arcname, (1980, 1, 1, 0, 0, 0)), data)
    os.replace(path + ".tmp", path)
    return name


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    return _write_wheel(wheel_directory)


def build_sdist(sdist_directory, config_settings=None):
    base = "%s-%s" % (NAME, _version())
    name = base + ".tar.gz"
    with tarfile.open(os.path.join(sdist_directory, name), "w:gz") as sdist:
        for file in ("pyproject.toml", "tavo_build.py", "tavo32.py"):
            sdist.add(os.path.join(HERE, file), arcname=base + "/" + file)
        info = tarfile.TarInfo(base + "/PKG-INFO")
        data = _metadata().encode()
        info.size = len(data)
        sdist.addfile(info, io.BytesIO(data))
    return name
