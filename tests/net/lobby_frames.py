# The lobby's framing, for the peers written apart from the program: each frame is a 32-bit
# little-endian length and that many bytes of JSON text.
import struct


def frame(text):
    data = text.encode("latin-1")
    return struct.pack("<i", len(data)) + data


def read_exactly(s, n):
    data = b""
    while len(data) < n:
        chunk = s.recv(n - len(data))
        if not chunk:
            raise OSError("closed after %d of %d bytes" % (len(data), n))
        data += chunk
    return data


def read_frame(s):
    (n,) = struct.unpack("<i", read_exactly(s, 4))
    return read_exactly(s, n)
