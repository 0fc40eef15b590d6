#!/bin/sh
# Makes the sample files that the symbol-file tests lay the shipped symbol files over. Run it from any
# folder; it writes into tests/symbols/fixtures beside this script. The results are committed, so the
# tests need none of these tools: ImageMagick (convert) for the pictures, Python 3 (wave, zipfile) for the
# sound and the archives, binutils (as, ld) for the 32-bit ELF file.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
out="$here/fixtures"
mkdir -p "$out"
cd "$out"

# Pictures without time stamps, so that the files come out the same on every run.
im() {
    convert "$@"
}

# GIF: an animation of two frames (application extension, graphic controls, two images, trailer).
im -size 20x10 gradient:red-blue -size 20x10 gradient:green-yellow -delay 10 -loop 0 \
    -strip anim.gif

# BMP: 4 and 8 bits with a palette, 8 bits compressed (RLE8), 24 bits with padded rows (13 pixels: 39 bytes
# + 1), 32 bits with a version 5 header and colour masks.
im -size 20x10 gradient:black-white -type Palette -colors 16 -strip BMP3:palette4.bmp
im -size 6x40 gradient:black-white -type Palette -colors 64 -compress None -strip BMP3:palette8.bmp
im -size 6x40 gradient:black-white -type Palette -colors 64 -compress RLE -strip BMP3:rle8.bmp
im -size 13x7 gradient:red-blue -type TrueColor -strip BMP3:rgb24.bmp
im -size 5x3 xc:'rgba(255,0,0,0.5)' -type TrueColorAlpha -strip BMP:argb32.bmp

# PNG: a 16-bit RGB gradient with gamma, chromaticities and a text chunk; a picture with a palette.
im -size 24x12 gradient:yellow-green -set comment KIVRAN -define png:exclude-chunks=date,time,bKGD image.png
im -size 16x8 gradient:red-blue -colors 8 -type Palette -define png:exclude-chunks=date,time,bKGD -strip \
    palette.png

# JPEG: a baseline JFIF picture, grey noise whose scan holds stuffed FF bytes, and a progressive picture
# (several scans).
im -size 24x16 gradient:white-navy -strip -quality 85 baseline.jpg
im -seed 7 -size 32x32 xc:gray +noise Random -strip -quality 95 noise.jpg
im -size 24x16 gradient:white-navy -strip -quality 85 -interlace Plane progressive.jpg

# WAV: 16-bit stereo at 8000 Hz, 100 frames; 8-bit mono with an odd data size, 51 frames, also with a LIST
# chunk.
python3 - <<'PY'
import math, struct, wave
with wave.open("stereo16.wav", "wb") as w:
    w.setnchannels(2)
    w.setsampwidth(2)
    w.setframerate(8000)
    frames = b"".join(struct.pack("<hh", int(8000 * math.sin(i / 5)), -i * 50) for i in range(100))
    w.writeframes(frames)
with wave.open("mono8.wav", "wb") as w:
    w.setnchannels(1)
    w.setsampwidth(1)
    w.setframerate(11025)
    w.writeframes(bytes((i * 5) & 0xFF for i in range(51)))
# The 8-bit file with a LIST chunk after the samples (after their padding byte), as tagging tools add it.
data = bytearray(open("mono8.wav", "rb").read())
if len(data) % 2:
    data += b"\0"
info = b"INFO" + b"INAM" + struct.pack("<I", 7) + b"KIVRAN\0" + b"\0"
data += b"LIST" + struct.pack("<I", len(info)) + info
data[4:8] = struct.pack("<I", len(data) - 8)
open("tagged.wav", "wb").write(bytes(data))
PY

# ZIP: three files (stored, deflated, in a folder) with an archive comment; and the same written to a
# stream that cannot seek, so that the sizes follow the data in data descriptors.
python3 - <<'PY'
import io, zipfile

def fill(z):
    fixed = (1999, 12, 31, 23, 59, 58)
    z.writestr(zipfile.ZipInfo("hello.txt", fixed), b"Hello, KIVRAN!\n", zipfile.ZIP_STORED)
    z.writestr(zipfile.ZipInfo("data.bin", fixed), bytes(range(256)) * 4, zipfile.ZIP_DEFLATED)
    z.writestr(zipfile.ZipInfo("docs/readme.md", fixed), b"# Read me\n" * 20, zipfile.ZIP_DEFLATED)

with zipfile.ZipFile("archive.zip", "w") as z:
    fill(z)
    z.comment = b"sample archive"

class Unseekable(io.RawIOBase):
    def __init__(self):
        self.data = bytearray()
    def writable(self):
        return True
    def write(self, b):
        self.data += b
        return len(b)

stream = Unseekable()
with zipfile.ZipFile(stream, "w") as z:
    fill(z)
with open("streamed.zip", "wb") as f:
    f.write(stream.data)
PY

# ELF: a tiny 32-bit x86 executable (the 64-bit tests use /bin/true of the machine).
cat > elf32.s <<'S'
.globl _start
_start:
    movl $1, %eax
    xorl %ebx, %ebx
    int $0x80
.data
message: .ascii "KIVRAN"
S
as --32 elf32.s -o elf32.o
ld -m elf_i386 -n elf32.o -o elf32.elf
rm -f elf32.s elf32.o
# The same file in big-endian byte order (the header and the two tables swapped; binutils here cannot
# write one), so that the big-endian reading is tried too.
python3 - <<'PY'
import struct
d = bytearray(open("elf32.elf", "rb").read())
d[5] = 2
def swap(offset, fields):
    struct.pack_into(">" + fields, d, offset, *struct.unpack_from("<" + fields, d, offset))
swap(16, "HHIIIIIHHHHHH")
phoff, shoff = struct.unpack_from(">II", d, 28)
phnum, shnum = struct.unpack_from(">H", d, 44)[0], struct.unpack_from(">H", d, 48)[0]
for i in range(phnum):
    swap(phoff + 32 * i, "8I")
for i in range(shnum):
    swap(shoff + 40 * i, "10I")
open("elf32be.elf", "wb").write(bytes(d))
PY

ls -l "$out"
