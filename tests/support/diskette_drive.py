#!/usr/bin/python3
"""A diskette drive for the tests: serves FOLDER read-only at MOUNTPOINT
through FUSE, at a diskette drive's pace when --rate is given, and failing
with EIO every read of a file that reaches a given offset, as a sector that
cannot be read does. Returns once mounted; `fusermount -u MOUNTPOINT` ends it.

  diskette_drive.py FOLDER MOUNTPOINT [--rate BYTES_PER_SECOND] [--bad NAME@OFFSET]...
"""
import argparse
import errno
import os
import time

from fusepy import FUSE, FuseOSError, Operations


class Diskette(Operations):
    def __init__(self, folder, rate, bad):
        self.folder, self.rate, self.bad = folder, rate, bad

    def _real(self, path):
        return os.path.join(self.folder, path.lstrip('/'))

    def getattr(self, path, fh=None):
        info = os.lstat(self._real(path))
        return {key: getattr(info, key) for key in
                ('st_mode', 'st_size', 'st_nlink', 'st_mtime', 'st_atime', 'st_ctime')}

    def readdir(self, path, fh):
        return ['.', '..'] + os.listdir(self._real(path))

    def open(self, path, flags):
        return os.open(self._real(path), os.O_RDONLY)

    def read(self, path, size, offset, fh):
        bad = self.bad.get(os.path.basename(path))
        if bad is not None and offset + size > bad:
            raise FuseOSError(errno.EIO)
        data = os.pread(fh, size, offset)
        if self.rate:
            time.sleep(len(data) / self.rate)
        return data

    def release(self, path, fh):
        os.close(fh)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('folder')
    parser.add_argument('mountpoint')
    parser.add_argument('--rate', type=float, default=0)
    parser.add_argument('--bad', action='append', default=[])
    args = parser.parse_args()
    bad = {name: int(offset) for name, offset in (b.rsplit('@', 1) for b in args.bad)}
    # Every read reaches the drive: no cache between the program and it.
    FUSE(Diskette(os.path.abspath(args.folder), args.rate, bad), args.mountpoint,
         foreground=False, ro=True, nothreads=True, direct_io=True)


if __name__ == '__main__':
    main()
