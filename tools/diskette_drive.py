#!/usr/bin/python3
# A diskette drive for the tests and tools/run.sh: serves FOLDER read-only at MOUNTPOINT
# through FUSE, at a diskette drive's pace when --rate is given, and failing
# with EIO every read of a file that reaches a given offset, as a sector that
# cannot be read does. Returns once mounted; `fusermount -u MOUNTPOINT` ends it.
#
#   diskette_drive.py FOLDER MOUNTPOINT [--rate BYTES_PER_SECOND] [--bad NAME@OFFSET]...
import errno
import os
import sys
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
        if offset + size > self.bad.get(os.path.basename(path), float('inf')):
            raise FuseOSError(errno.EIO)
        data = os.pread(fh, size, offset)
        time.sleep(len(data) / self.rate)
        return data

    def release(self, path, fh):
        os.close(fh)


folder, mountpoint, options = sys.argv[1], sys.argv[2], sys.argv[3:]
rate, bad = float('inf'), {}
for option, value in zip(options[::2], options[1::2]):
    if option == '--rate':
        rate = float(value)
    else:
        name, offset = value.rsplit('@', 1)
        bad[name] = int(offset)
# Every read reaches the drive: no cache between the program and it.
FUSE(Diskette(os.path.abspath(folder), rate, bad), mountpoint,
     foreground=False, ro=True, nothreads=True, direct_io=True)
