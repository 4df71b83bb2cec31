"""32-bit float WAV files for the tests that compare audio from real hosts
(Ardour, lilv's tools) with the command-line host's: standard library only."""
import array
import struct
import sys


def write_wav(path, rate, channels):
    """32-bit float WAV of equally long channels."""
    frames = len(channels[0])
    nc = len(channels)
    data = array.array("f", [channels[c][n] for n in range(frames) for c in range(nc)])
    if sys.byteorder != "little":
        data.byteswap()
    body = data.tobytes()
    fmt = struct.pack("<HHIIHH", 3, nc, rate, rate * 4 * nc, 4 * nc, 32)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(body)) + b"WAVE")
        f.write(b"fmt " + struct.pack("<I", len(fmt)) + fmt)
        f.write(b"data" + struct.pack("<I", len(body)) + body)


def read_wav(path):
    """Channels of a 32-bit float WAV (plain or extensible)."""
    with open(path, "rb") as f:
        raw = f.read()
    if raw[:4] != b"RIFF" or raw[8:12] != b"WAVE":
        raise ValueError(path + " is no WAV file")
    pos, nc, kind, bits, body = 12, 0, 0, 0, None
    while pos + 8 <= len(raw):
        tag, size = raw[pos:pos + 4], struct.unpack("<I", raw[pos + 4:pos + 8])[0]
        chunk = raw[pos + 8:pos + 8 + size]
        if tag == b"fmt ":
            kind, nc, _, _, _, bits = struct.unpack("<HHIIHH", chunk[:16])
            if kind == 0xFFFE:
                kind = struct.unpack("<H", chunk[24:26])[0]
        elif tag == b"data":
            body = chunk
        pos += 8 + size + (size & 1)
    if kind != 3 or bits != 32 or body is None:
        raise ValueError(path + " is not 32-bit float")
    data = array.array("f")
    data.frombytes(body[:len(body) // 4 * 4])
    if sys.byteorder != "little":
        data.byteswap()
    return [data[c::nc] for c in range(nc)]
