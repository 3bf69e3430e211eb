"""A headless LibreOffice driven through UNO, for the scripts beside this file.

Run with the Python that has the `uno` module (Debian: /usr/bin/python3 with
python3-uno).  Office(profile) starts soffice on a pipe of its own with its
own user profile and connects; close() ends it.
"""

import os
import subprocess
import time
import uuid

import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.connection import NoConnectException


def props(**values):
    out = []
    for name, value in values.items():
        p = PropertyValue()
        p.Name, p.Value = name, value
        out.append(p)
    return tuple(out)


def url(path):
    return uno.systemPathToFileUrl(os.path.abspath(path))


class Office:
    def __init__(self, profile, timeout=60):
        self.pipe = "tavo" + uuid.uuid4().hex[:12]
        self.process = subprocess.Popen(
            ["soffice", "--headless", "--invisible", "--norestore", "--nologo", "--nodefault",
             "-env:UserInstallation=" + url(profile), "--accept=pipe,name=%s;urp;" % self.pipe],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        deadline = time.time() + timeout
        while True:
            try:
                self.ctx = resolver.resolve(
                    "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % self.pipe)
                break
            except NoConnectException:
                if time.time() > deadline or self.process.poll() is not None:
                    self.process.kill()
                    raise RuntimeError("soffice did not start")
                time.sleep(0.2)
        self.smgr = self.ctx.ServiceManager
        self.desktop = self.create("com.sun.star.frame.Desktop")

    def create(self, name):
        return self.smgr.createInstanceWithContext(name, self.ctx)

    def open(self, path=None, kind="scalc"):
        target = url(path) if path else "private:factory/" + kind
        return self.desktop.loadComponentFromURL(target, "_blank", 0, props(Hidden=True))

    def close(self):
        try:
            self.desktop.terminate()
        except Exception:
            pass  # the bridge goes down with the office
        try:
            self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
