#!/usr/bin/python3
"""A file server for the tests: a FUSE file system that passes every call
through to a backing folder, with faults the tests switch on and off by
creating and deleting files in a control folder:

  latency   holds a number of milliseconds every call waits first
  hold      while it exists, every call waits (a server that stopped answering)
  held      made by the server once a call waits on hold, for the tests to see
  fail      while it exists, every call fails with EIO (a server that is gone)

Files changed in the backing folder directly raise no change notification
through the mount: a share without working notifications.

Usage: test_share.py <backing folder> <mount point> <control folder>
Runs in the foreground until unmounted (fusermount3 -u) or ended.
"""

import errno
import os
import sys
import time

from fusepy import FUSE, FuseOSError, Operations


class TestShare(Operations):
    def __init__(self, root, control):
        self.root = root
        self.control = control

    def _fault(self):
        if os.path.exists(os.path.join(self.control, "hold")):
            open(os.path.join(self.control, "held"), "w").close()
        while os.path.exists(os.path.join(self.control, "hold")):
            time.sleep(0.05)
        try:
            with open(os.path.join(self.control, "latency")) as f:
                time.sleep(int(f.read().strip() or 0) / 1000)
        except (OSError, ValueError):
            pass
        if os.path.exists(os.path.join(self.control, "fail")):
            raise FuseOSError(errno.EIO)

    def _path(self, path):
        return os.path.join(self.root, path.lstrip("/"))

    def _call(self, function, *args):
        self._fault()
        try:
            return function(*args)
        except OSError as e:
            raise FuseOSError(e.errno)

    def getattr(self, path, fh=None):
        st = self._call(os.lstat, self._path(path))
        return {key: getattr(st, key) for key in (
            "st_mode", "st_nlink", "st_uid", "st_gid", "st_size",
            "st_atime", "st_mtime", "st_ctime", "st_ino")}

    def readdir(self, path, fh):
        return [".", ".."] + self._call(os.listdir, self._path(path))

    def opendir(self, path):
        self._call(os.stat, self._path(path))
        return 0

    def open(self, path, flags):
        return self._call(os.open, self._path(path), flags)

    def read(self, path, size, offset, fh):
        self._fault()
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)
        return 0

    def statfs(self, path):
        st = self._call(os.statvfs, self._path(path))
        return {key: getattr(st, key) for key in (
            "f_bavail", "f_bfree", "f_blocks", "f_bsize", "f_favail",
            "f_ffree", "f_files", "f_flag", "f_frsize", "f_namemax")}


if __name__ == "__main__":
    root, mount, control = sys.argv[1:4]
    FUSE(TestShare(root, control), mount, foreground=True, nothreads=False,
         attr_timeout=0, entry_timeout=0, ro=True)
