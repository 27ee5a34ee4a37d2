#!/usr/bin/env python3
"""Bad-input corpus: builds every awkward input a stranger may hand the tool,
runs the command line on each, checks the outcome and writes the table of
outcomes (docs/robustness.md). Nothing is downloaded: ImageMagick and byte
surgery make every file."""
import argparse
import importlib.machinery
import importlib.util
import random
import re
import os
import shutil
import stat
import struct
import subprocess
import sys
import tempfile
import time
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def convert(args, out):
    subprocess.run(["convert", *args, out], check=True, stderr=subprocess.DEVNULL)
    return out


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)
    return path


def with_frame_size(jpeg, w, h):
    b = bytearray(jpeg)
    for i in range(2, len(b) - 9):
        if b[i] == 0xFF and b[i + 1] in (0xC0, 0xC2):
            b[i + 5:i + 9] = struct.pack(">HH", h, w)
            break
    return bytes(b)


def with_exif_orientation(jpeg, orientation):
    tiff = b"MM" + struct.pack(">HIH", 42, 8, 1) + struct.pack(">HHIHH", 0x0112, 3, 1, orientation, 0) + b"\0\0\0\0"
    payload = b"Exif\0\0" + tiff
    return jpeg[:2] + b"\xFF\xE1" + struct.pack(">H", len(payload) + 2) + payload + jpeg[2:]


def with_icc_profile(jpeg, icc):
    """The profile in one APP2 segment right after the start marker."""
    payload = b"ICC_PROFILE\0\x01\x01" + icc
    return jpeg[:2] + b"\xFF\xE2" + struct.pack(">H", len(payload) + 2) + payload + jpeg[2:]


def seed_makers():
    """The fuzz seeds' byte surgery (tests/fuzz/make-seeds), shared."""
    path = os.path.join(ROOT, "tests", "fuzz", "make-seeds")
    loader = importlib.machinery.SourceFileLoader("make_seeds", path)
    module = importlib.util.module_from_spec(importlib.util.spec_from_loader("make_seeds", loader))
    loader.exec_module(module)
    return module


def with_comments_before_scan(jpeg, total):
    """Comment segments of `total` bytes in all, put before the first scan."""
    at = jpeg.index(b"\xFF\xDA")
    piece = b"\xFF\xFE" + struct.pack(">H", 65535) + b"c" * 65533
    return jpeg[:at] + piece * (total // len(piece) + 1) + jpeg[at:]


def zeroed_middle(jpeg, fraction):
    """`fraction` of the file's bytes, from its middle, set to zero."""
    n = int(len(jpeg) * fraction)
    start = (len(jpeg) - n) // 2
    return jpeg[:start] + bytes(n) + jpeg[start + n:]


def random_over_scan(jpeg, n):
    """`n` random bytes written over the file from a third of its length."""
    start = len(jpeg) // 3
    return jpeg[:start] + random.Random(3).randbytes(n) + jpeg[start + n:]


def corrupt_middle(jpeg):
    b = bytearray(jpeg)
    start = len(b) // 2
    for i in range(start, start + 64):
        if b[i] != 0xFF and b[i - 1] != 0xFF:
            b[i] ^= 0x5A
    return bytes(b)


class Corpus:
    """Makes the files; each maker returns the path handed to the tool."""

    def __init__(self, folder):
        self.dir = folder
        self.good = convert(["-seed", "3", "-size", "600x400", "plasma:fractal", "-quality", "85"],
                            os.path.join(folder, "good.jpg"))
        self.bytes = read(self.good)

    def path(self, name):
        return os.path.join(self.dir, name)

    def jpeg_cases(self):
        b = self.bytes
        c = []
        add = lambda *x: c.append(x)
        add("empty.jpg", "empty file", write(self.path("empty.jpg"), b""), 2)
        for pct in (10, 50, 90):
            add(f"truncated-{pct}.jpg", f"truncated at {pct}%",
                write(self.path(f"truncated-{pct}.jpg"), b[:len(b) * pct // 100]), 2)
        add("corrupt-scan.jpg", "bytes flipped in the middle of the scan (codes that still decode cannot be told "
            "from the picture's: cut as they decode, or refused)",
            write(self.path("corrupt-scan.jpg"), corrupt_middle(b)), (0, 2))
        add("random-scan.jpg", "2000 random bytes written over the scan",
            write(self.path("random-scan.jpg"), random_over_scan(b, 2000)), 2)
        add("truncated-5-ended.jpg", "cut at 5% with an end marker put after it",
            write(self.path("truncated-5-ended.jpg"), b[:len(b) * 5 // 100] + b"\xFF\xD9"), 2)
        add("zeroed-40.jpg", "40% of the file zeroed in its middle",
            write(self.path("zeroed-40.jpg"), zeroed_middle(b, 0.4)), 2)
        add("trailing-zeros.jpg", "100 KB of zeros after the end (as some cameras write)",
            write(self.path("trailing-zeros.jpg"), b + bytes(100 * 1024)), 0)
        add("trailing-random.jpg", "100 KB of random bytes after the end",
            write(self.path("trailing-random.jpg"), b + random.Random(27).randbytes(100 * 1024)), 0)
        flat = read(convert(["-size", "256x256", "xc:gray50", "-interlace", "JPEG", "-strip"],
                            self.path("flat-progressive.jpg")))
        add("scans-20000.jpg", "a progressive JPEG of 20000 scans (2.7 MB) in a sound progression",
            write(self.path("scans-20000.jpg"), seed_makers().many_scans(flat, 20000)), 2)
        add("progressive.jpg", "progressive",
            convert([self.good, "-interlace", "JPEG"], self.path("progressive.jpg")), 0)
        add("grey.jpg", "greyscale", convert([self.good, "-colorspace", "Gray"], self.path("grey.jpg")), 0)
        add("cmyk.jpg", "CMYK (converted to true colours)",
            convert([self.good, "-colorspace", "CMYK"], self.path("cmyk.jpg")), 0)
        add("broken-profile.jpg", "a colour profile that is not one (cut with its colours as stored, and one warning)",
            write(self.path("broken-profile.jpg"), with_icc_profile(b, b"not a colour profile " * 20)), 0)
        for o in (3, 6, 8):
            add(f"exif-{o}.jpg", f"EXIF orientation {o} (cut upright)",
                write(self.path(f"exif-{o}.jpg"), with_exif_orientation(b, o)), 0)
        add("1x1.jpg", "1 x 1 pixel", convert(["-size", "1x1", "xc:red"], self.path("1x1.jpg")), 0)
        tall = self.path("1x60000.jpg")  # beyond ImageMagick's default size policy
        subprocess.run(["vips", "black", tall, "1", "60000"], check=True)
        add("1x60000.jpg", "1 x 60000 pixels", tall, 0)
        add("claims-65000.jpg", "header claims 65000 x 65000 (the decoder would overflow)",
            write(self.path("claims-65000.jpg"), with_frame_size(b, 65000, 65000)), 2)
        add("claims-30000.jpg", "header claims 30000 x 30000 over 600 x 400 data",
            write(self.path("claims-30000.jpg"), with_frame_size(b, 30000, 30000)), 2)
        add("claims-65500.jpg", "header claims 65500 x 65500 (the largest JPEG) over 600 x 400 data",
            write(self.path("claims-65500.jpg"), with_frame_size(b, 65500, 65500)), 2)
        add("padded-65500.jpg", "header claims 65500 x 65500, padded with comments to 8.5 MB before its scan",
            write(self.path("padded-65500.jpg"),
                  with_comments_before_scan(with_frame_size(b, 65500, 65500), 8500 * 1024)), 2)
        add("claims-65535.jpg", "header claims 65535 x 400, over what JPEG can hold",
            write(self.path("claims-65535.jpg"), with_frame_size(b, 65535, 400)), 2)
        wide = self.path("65500x512.jpg")
        subprocess.run(["vips", "gaussnoise", self.path("wide.v"), "65500", "512"], check=True)
        subprocess.run(["vips", "cast", self.path("wide.v"), wide + "[Q=70]", "uchar"], check=True)
        os.remove(self.path("wide.v"))
        add("65500x512.jpg", "65500 x 512, the widest JPEG (streams in memory that follows the width)", wide, 0)
        add("png.jpg", "a PNG named .jpg (read as the PNG it is: its first bytes choose the reader)",
            convert(["-size", "300x300", "xc:green"], "png:" + self.path("png.jpg"))[4:], 0)
        add("text.jpg", "text named .jpg", write(self.path("text.jpg"), b"hello, world\n"), 2)
        os.mkdir(self.path("folder.jpg"))
        add("folder.jpg", "a folder named .jpg", self.path("folder.jpg"), 2)
        add("missing.jpg", "a file that does not exist", self.path("missing.jpg"), 2)
        unreadable = write(self.path("unreadable.jpg"), b)
        os.chmod(unreadable, 0)
        add("unreadable.jpg", "mode 000 (run as an unprivileged user)", unreadable, 2, "unprivileged")
        add("new\\nline-broken.jpg", "undecodable, with a newline in its name",
            write(self.path("new\nline-broken.jpg"), b"\xFF\xD8\xFF"), 2)
        for name in ("with space.jpg", "quote\"'.jpg", "amp&hash#pct%.jpg", "ünïcødé-фото.jpg",
                     "new\nline.jpg", ("l" * 240) + ".jpg"):
            shown = name.replace("\n", "\\n") if len(name) < 60 else "a 244-character name"
            add(shown, "path with " + ("a newline" if "\n" in name else "awkward characters" if len(name) < 60
                                       else "a very long name"),
                write(self.path(name), b), 0)
        return c

    def picture_cases(self):
        """TIFF and PNG sources, whole and damaged."""
        c = []
        add = lambda *x: c.append(x)
        tiled = convert([self.good, "-compress", "Zip", "-define", "tiff:tile-geometry=64x64"], self.path("tiled.tif"))
        add("tiled.tif", "a tiled Deflate TIFF", tiled, 0)
        strips = convert([self.good, "-compress", "None"], self.path("strips.tif"))
        b = read(strips)
        add("truncated-strip.tif", "a TIFF cut short in its strips",
            write(self.path("truncated-strip.tif"), b[:len(b) * 2 // 3] + b"\0" * 64), 2)
        add("tile-past-end.tif", "a tile whose offset lies past the end of the file",
            write(self.path("tile-past-end.tif"), with_tiff_tag(read(tiled), 324, 0x7FFFFFF0)), 2)
        add("claims-4e9.tif", "header claims 4000000000 x 4000000000 (its strips do not fit the file)",
            write(self.path("claims-4e9.tif"), with_tiff_tag(with_tiff_tag(b, 256, 4000000000), 257, 4000000000)), (2, 3))
        png = convert([self.good], self.path("good.png"))
        add("interlaced.png", "an interlaced PNG (whole, within the memory limit)",
            convert([self.good, "-interlace", "PNG"], self.path("interlaced.png")), 0)
        p = read(png)
        add("truncated.png", "a PNG cut short (refused before the first tile)",
            write(self.path("truncated.png"), p[:len(p) // 2]), 2)
        add("lying-profile.png", "a PNG whose colour profile lies about its length (left unused)",
            write(self.path("lying-profile.png"), with_png_chunk(p, b"iCCP", b"fake\0\0" + zlib.compress(
                struct.pack(">I", 100000) + b"lcms" + b"\0" * 28 + b"acsp" + b"\0" * 90))), 0)
        for name in ("1x1.tif", "1x1.png"):
            add(name, "1 x 1 pixel", convert(["-size", "1x1", "xc:red"], self.path(name)), 0)
        for name in ("1x300000.tif", "1x300000.png"):
            subprocess.run(["vips", "black", self.path(name), "1", "300000"], check=True)
            add(name, "1 x 300000 pixels", self.path(name), 0)
        return c


def with_tiff_tag(tiff, tag, value):
    """A little-endian classic TIFF with the first value of `tag` in its first page set to `value`."""
    b = bytearray(tiff)
    ifd = struct.unpack_from("<I", b, 4)[0]
    for i in range(struct.unpack_from("<H", b, ifd)[0]):
        at = ifd + 2 + 12 * i
        t, kind, count, field = struct.unpack_from("<HHII", b, at)
        if t != tag:
            continue
        where = at + 8 if count * (2 if kind == 3 else 4) <= 4 else field
        if kind == 3:
            struct.pack_into("<H", b, where, min(value, 0xFFFF))
            if value > 0xFFFF:  # a SHORT cannot hold it: make the field a LONG
                struct.pack_into("<HII", b, at + 2, 4, 1, value)
        else:
            struct.pack_into("<I", b, where, value)
    return bytes(b)


def with_png_chunk(png, kind, data):
    """`png` with a chunk inserted after its header chunk."""
    chunk = struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    return png[:33] + chunk + png[33:]


def utf16(text):
    return text.encode("utf-16-le")


def language_cases(folder):
    """Language files and language lists as a translator or a stranger may send them."""
    english = read(os.path.join(ROOT, "resources", "LanguageFiles", "eng.txt"))
    text = english.decode("utf-16-le")
    keys = [line.split("=", 1)[0] for line in text.splitlines() if "=" in line]
    hostile = "".join(k + "=%n%s%s%s%99999d %x %p %%%s %1$s %\r\n" for k in keys)
    p = lambda name: os.path.join(folder, name)
    os.mkdir(p("folder.txt"))
    unreadable = write(p("unreadable.txt"), english)
    os.chmod(unreadable, 0)
    c = []
    add = lambda *x: c.append(x)
    add("language", "empty.txt", "empty file", write(p("empty.txt"), b""))
    add("language", "odd.txt", "odd length (one byte more)", write(p("odd.txt"), english + b"\x41"))
    add("language", "no-equals.txt", "no \"=\" anywhere", write(p("no-equals.txt"), english.replace(utf16("="), utf16(" "))))
    add("language", "lf-only.txt", "LF-only line ends", write(p("lf-only.txt"), english.replace(utf16("\r\n"), utf16("\n"))))
    add("language", "hostile.txt", "every text \"%n%s%s%s%99999d\" and more",
        write(p("hostile.txt"), utf16(hostile)))
    add("language", "utf8.txt", "UTF-8 instead of UTF-16", write(p("utf8.txt"), text.encode("utf-8")))
    add("language", "nul-first.txt", "a NUL before the first key", write(p("nul-first.txt"), b"\0\0" + english))
    add("language", "surrogates.txt", "lone surrogates in every text",
        write(p("surrogates.txt"), english.replace(utf16("="), utf16("=") + b"\x00\xD8\x00\xDC\x00\xDC")))
    with open(p("huge.txt"), "wb") as f:  # 100 MB that holds no key: every lookup scans it all
        line = utf16("x" * 998 + "\r\n")
        for _ in range(50000):
            f.write(line)
    add("language", "huge.txt", "100 MB without one key", p("huge.txt"))
    add("language", "folder.txt", "a folder", p("folder.txt"))
    os.mkfifo(p("pipe.txt"))
    add("language", "pipe.txt", "a named pipe nobody writes to", p("pipe.txt"))
    add("language", "missing.txt", "a file that does not exist", p("missing.txt"))
    add("language", "unreadable.txt", "mode 000 (run as an unprivileged user)", unreadable, "unprivileged")
    listing = utf16("Deutsch=deu.txt\r\nFrançais=fra.txt\r\n")
    add("languages", "lan-empty.txt", "empty list", write(p("lan-empty.txt"), b""))
    add("languages", "lan-odd.txt", "odd length", write(p("lan-odd.txt"), listing + b"\x41"))
    add("languages", "lan-no-equals.txt", "no \"=\" on a line", write(p("lan-no-equals.txt"), utf16("Deutsch deu.txt\r\nx=\r\n=\r\n")))
    add("languages", "lan-lf-only.txt", "LF-only line ends", write(p("lan-lf-only.txt"), utf16("Deutsch=deu.txt\nFrançais=fra.txt\n")))
    add("languages", "lan-huge.txt", "100 MB of one-letter entries",
        write(p("lan-huge.txt"), utf16("a=b\r\n") * (100 * 1000 * 1000 // 10)))
    add("languages", "lan-missing.txt", "a file that does not exist", p("lan-missing.txt"))
    return c


def settings_cases(folder):
    """Settings files that were damaged, edited by hand or replaced by something else."""
    good = "OutputPath=/tmp/out\nLanguage=/usr/share/kerfel/deu.txt\nZoomSlider=1\nClickToZoom=256\n"
    c = []

    def add(name, what, content=None, mode=None, unprivileged=False):
        sub = os.path.join(folder, "settings-" + name)
        os.mkdir(sub)
        os.chmod(sub, 0o777)
        path = os.path.join(sub, "settings.ini")
        if isinstance(content, bytes):
            write(path, content)
        elif content == "folder":
            os.mkdir(path)
        elif content == "dangling":
            os.symlink(os.path.join(sub, "gone.ini"), path)
        if mode is not None:
            os.chmod(path, mode)
        elif isinstance(content, bytes):
            os.chmod(path, 0o666)
        c.append(("settings", name, what, path) + (("unprivileged",) if unprivileged else ()))

    add("good", "a good file (for comparison)", good.encode())
    add("empty", "empty file", b"")
    add("binary", "binary (NUL bytes among good lines)", good.encode() + b"\0\x01\xFF" + good.encode())
    add("huge", "2 MiB of one line", good.encode() + b"z" * (2 << 20) + b"\n")
    add("not-utf8", "a value that is not UTF-8", good.encode() + b"OutputPath=\xFF\xFE/x\n")
    add("no-equals", "lines without \"=\"", b"OutputPath\nSmallMap\n" + good.encode())
    add("crlf", "CR LF line ends", good.replace("\n", "\r\n").encode())
    add("bom", "a byte-order mark before the first name", b"\xEF\xBB\xBF" + good.encode())
    add("numbers", "integers out of range, signs, spaces", b"SmallMap=99999999999\nZoomSlider=-1\nClickToZoom= 1\n"
        b"NavigationScroll=+1\n" + good.encode())
    add("duplicates", "each name twice", (good + good.replace("=1", "=0")).encode())
    add("folder", "a folder named settings.ini", "folder")
    add("dangling", "a symbolic link to nothing", "dangling")
    add("read-only", "mode 444 (run as an unprivileged user)", good.encode(), 0o444, True)
    add("unreadable", "mode 000 (run as an unprivileged user)", good.encode(), 0, True)
    return c


def check_probe(probe, kind, case_id, what, path, timeout, unprivileged=False):
    """The core reads one of the desktop tool's own files: exit 0 and the line it prints."""
    r = run([probe, kind, path], timeout, unprivileged)
    if r is None:
        return (case_id, what, "probe " + kind, "skipped (no setpriv)", True)
    ok = r["status"] == 0
    said = r.get("out", "").strip().replace("|", "\\|") or r["err"].strip()[:110]
    outcome = f"exit {r['status']}: {said}"
    return (case_id, what, "probe " + kind, outcome if ok else "FAIL " + outcome, ok)


def run(cmd, timeout, unprivileged=False):
    if unprivileged and os.geteuid() == 0:
        if not shutil.which("setpriv"):
            return None
        cmd = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", *cmd]
    start = time.monotonic()
    try:
        p = subprocess.run(cmd, capture_output=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return {"status": "timeout", "err": "", "seconds": timeout}
    return {"status": p.returncode, "err": p.stderr.decode("utf-8", "replace"),
            "out": p.stdout.decode("utf-8", "replace"), "seconds": time.monotonic() - start}


def check(case_id, what, cmd, expected, named, timeout, unprivileged=False, warns=False):
    """The exit status, and one line on stderr naming the file for an error
    or (`warns`) for a warning that leaves the job done."""
    r = run(cmd, timeout, unprivileged)
    if r is None:
        return (case_id, what, " ".join(cmd[1:2]), "skipped (no setpriv)", True)
    problems = []
    allowed = expected if isinstance(expected, tuple) else (expected,)
    if r["status"] not in allowed:
        problems.append(f"exit {r['status']}, expected {expected}")
    told = r["status"] != 0 or warns
    if told:
        lines = [l for l in r["err"].splitlines() if l.strip()]
        if len(lines) != 1:
            problems.append(f"{len(lines)} error lines")
        elif named and os.path.basename(named).replace("\n", "\\n")[:20] not in lines[0]:
            problems.append("message does not name the file")
        elif r["status"] == 0 and not lines[0].startswith("kerfel: warning: "):
            problems.append("no warning")
    outcome = f"exit {r['status']}" + (f": {r['err'].strip()[:110]}" if told and r["err"] else "")
    # Only the file's own name is shown: the corpus folder differs every run.
    outcome = re.sub(r"/[^ :]*kerfel-corpus-[^/]*/", "", outcome)
    outcome = re.sub(r"(out-|tmp)[a-z0-9_]{8}/", "", outcome)
    outcome = re.sub(r"\btmp[a-z0-9_]{8}\b", "a-folder", outcome).replace("|", "\\|").replace("\n", " ")
    return (case_id, what, cmd[1], outcome if not problems else "FAIL " + "; ".join(problems), not problems)


# What `make` gives where `info` succeeds: pictures with no zoom level to
# offer or too narrow to halve are refused as bad input.
MAKE_REFUSES = {"1x1.jpg", "1x60000.jpg", "1x1.tif", "1x1.png", "1x300000.tif", "1x300000.png"}
# What `make` finishes with one warning line: a colour profile it cannot use.
MAKE_WARNS = {"broken-profile.jpg"}
# `info` reads the header only: a picture damaged after it still has sizes;
# `make` fails where decoding meets the damage, before the descriptor.
INFO_ACCEPTS = {"truncated-10.jpg", "truncated-50.jpg", "truncated-90.jpg", "tile-past-end.tif", "truncated.png",
                "corrupt-scan.jpg", "random-scan.jpg", "truncated-5-ended.jpg", "zeroed-40.jpg", "scans-20000.jpg"}


def has_descriptor(folder):
    return any("ImageKerfel.xml" in files for _, _, files in os.walk(folder))


def is_complete_jpeg(path):
    data = read(path)
    return len(data) > 4 and data[:2] == b"\xFF\xD8" and data[-2:] == b"\xFF\xD9"


def check_make(case_id, what, kerfel, source, expected, out_root, timeout, unprivileged=False):
    """`make` into a fresh output folder: the outcome, and nothing but the job
    folder (with only complete tiles) left there."""
    out = tempfile.mkdtemp(dir=out_root)
    os.chmod(out, 0o777)
    row = check(case_id, what, [kerfel, "make", source, out, "--quiet"], expected, source, timeout, unprivileged,
                case_id in MAKE_WARNS)
    extra = [n for n in os.listdir(out)]
    problems = []
    if len(extra) > 1:
        problems.append(f"left {extra}")
    failed = row[3].startswith("exit ") and not row[3].startswith("exit 0")
    if failed and has_descriptor(out):
        problems.append("a failed job left its descriptor")
    for dirpath, _, files in os.walk(out):
        for f in files:
            if f.endswith(".jpg") and not is_complete_jpeg(os.path.join(dirpath, f)):
                problems.append(f"incomplete tile {f}")
    if problems:
        return row[:3] + ("FAIL " + "; ".join(problems), False)
    return row


def memory_cases(kerfel, corpus, out_root, timeout, sanitized=False):
    """The widest picture streams within 64 MiB + 2.5 KiB per pixel of width;
    a picture that cannot stream is refused above --memory-limit, before
    anything is written. A sanitizer's shadow memory and quarantine are no
    measure of the tool's own: a sanitized build only has to finish."""
    rows = []
    wide = corpus.path("65500x512.jpg")
    out = tempfile.mkdtemp(dir=out_root)
    log = os.path.join(out_root, "time.log")
    r = subprocess.run(["/usr/bin/time", "-o", log, "-f", "%M", kerfel, "make", wide, out, "--quiet"],
                       capture_output=True, timeout=timeout)
    peak = int(read(log).split()[-1]) // 1024
    goal = 64 + 65500 * 5 // 2 // 1024
    if sanitized:
        ok = r.returncode == 0
        rows.append(("65500x512.jpg peak memory", "make of the widest JPEG (sanitized build: completes)", "make",
                     f"exit {r.returncode}, peak {peak} MiB not held to the release bound" +
                     ("" if ok else " (FAIL)"), ok))
    else:
        ok = r.returncode == 0 and peak <= goal
        rows.append(("65500x512.jpg peak memory", "make of the widest JPEG, peak resident memory", "make",
                     f"exit {r.returncode}, peak {'within' if peak <= goal else 'OVER'} {goal} MiB" +
                     ("" if ok else f" (FAIL: {peak} MiB)"), ok))
    rows.append(app2_flood(kerfel, corpus, out_root, timeout, sanitized))
    usage = subprocess.run([kerfel, "help", "make"], capture_output=True, text=True).stdout
    progressive = corpus.path("progressive.jpg")
    what = "progressive (cannot stream) over --memory-limit 100K"
    if "--memory-limit" not in usage:
        rows.append(("progressive.jpg, small limit", what, "make", "skipped (no --memory-limit option yet)", True))
        return rows
    out = tempfile.mkdtemp(dir=out_root)
    row = check("progressive.jpg, small limit", what,
                [kerfel, "make", progressive, out, "--quiet", "--memory-limit", "100K"], 3, progressive, timeout)
    if os.listdir(out):
        row = row[:3] + (f"FAIL left {os.listdir(out)}", False)
    rows.append(row)
    return rows


def app2_flood(kerfel, corpus, out_root, timeout, sanitized=False):
    """96 MiB of APP2 segments that are no colour profile before the frame:
    the decoder keeps none of them, so the job stays within its memory goal
    (a sanitized build only has to finish, as above)."""
    piece = b"FPXR" + b"\x55" * 65500
    segment = b"\xFF\xE2" + struct.pack(">H", 2 + len(piece)) + piece
    flood = write(corpus.path("app2-flood.jpg"), corpus.bytes[:2] + segment * 1500 + corpus.bytes[2:])
    out = tempfile.mkdtemp(dir=out_root)
    log = os.path.join(out_root, "time.log")
    r = subprocess.run(["/usr/bin/time", "-o", log, "-f", "%M", kerfel, "make", flood, out, "--quiet"],
                       capture_output=True, timeout=timeout)
    os.remove(flood)
    peak = int(read(log).split()[-1]) // 1024
    goal = 64 + 600 * 5 // 2 // 1024
    if sanitized:
        ok = r.returncode == 0
        return ("app2-flood.jpg peak memory", "96 MiB of APP2 segments (sanitized build: completes)", "make",
                f"exit {r.returncode}" + ("" if ok else " (FAIL)"), ok)
    ok = r.returncode == 0 and peak <= goal
    return ("app2-flood.jpg peak memory", "96 MiB of APP2 segments that hold no colour profile", "make",
            f"exit {r.returncode}, peak {'within' if peak <= goal else 'OVER'} {goal} MiB" +
            ("" if ok else f" (FAIL: {peak} MiB)"), ok)


def accepted_damage_cases(kerfel, corpus, out_root, timeout):
    """--accept-damaged publishes a damaged JPEG with one warning of the rows
    lost; a header the data cannot hold stays refused."""
    rows = []
    for name, expected in (("truncated-50.jpg", 0), ("truncated-5-ended.jpg", 0), ("random-scan.jpg", 0),
                           ("padded-65500.jpg", 2)):
        out = tempfile.mkdtemp(dir=out_root)
        source = corpus.path(name)
        row = check(name + ", accepted", "the same, with --accept-damaged", [kerfel, "make", source, out, "--quiet",
                                                                            "--accept-damaged"],
                    expected, source, timeout, warns=expected == 0)
        published = has_descriptor(out)
        if row[4] and published != (expected == 0):
            row = row[:3] + ("FAIL the descriptor is " + ("written" if published else "missing"), False)
        rows.append(row)
    return rows


def output_cases(kerfel, corpus, out_root, timeout):
    """Where the tiles, the music and the archive go."""
    rows = []
    good = corpus.good
    folder_is_file = write(os.path.join(out_root, "a-file"), b"x")
    read_only = tempfile.mkdtemp(dir=out_root)
    os.chmod(read_only, 0o555)
    music_folder = tempfile.mkdtemp(dir=out_root)
    fresh = lambda: tempfile.mkdtemp(dir=out_root)
    cases = [
        ("missing output folder", [good, os.path.join(out_root, "nope")], 3, None),
        ("output folder is a file", [good, folder_is_file], 3, None),
        ("read-only output folder (unprivileged)", [good, read_only], 3, "unprivileged"),
        ("music file missing", [good, fresh(), "--music", os.path.join(out_root, "none.mp3")], 2, None),
        ("music path is a folder", [good, fresh(), "--music", music_folder], 2, None),
        ("archive in a missing folder", [good, fresh(), "--zip", os.path.join(out_root, "no/such/a.zip")], 3, None),
    ]
    for what, args, expected, unpriv in cases:
        rows.append(check(what.split(" (")[0], what, [kerfel, "make", *args, "--quiet"], expected, None, timeout,
                          bool(unpriv)))
    return rows


def zip_ok(path):
    return subprocess.run(["unzip", "-tqq", path], capture_output=True).returncode == 0


def export_cases(kerfel, corpus, out_root, timeout):
    """Where the archive goes, relative to the job it packs."""
    out = tempfile.mkdtemp(dir=out_root)
    subprocess.run([kerfel, "make", corpus.good, out, "--quiet"], check=True)
    job = os.path.join(out, "good")
    tile = os.path.join(job, "Images", "0-0-0.jpg")
    rows = []
    cases = [
        ("archive inside the job folder", [job, os.path.join(job, "inside.zip")], 0),
        ("archive equal to a tile", [job, tile, "--overwrite"], 3),
        ("archive in a missing folder", [job, os.path.join(out_root, "no/such/a.zip")], 3),
        ("missing job folder", [os.path.join(out, "nope"), os.path.join(out, "a.zip")], 2),
    ]
    for what, args, expected in cases:
        row = check(what, what, [kerfel, "export", *args], expected, None, timeout)
        if what == "archive equal to a tile" and not is_complete_jpeg(tile):
            row = row[:3] + ("FAIL the tile was replaced", False)
        if what == "archive inside the job folder" and row[4]:
            names = subprocess.run(["unzip", "-Z1", args[1]], capture_output=True, text=True).stdout
            if "inside.zip" in names or not zip_ok(args[1]):
                row = row[:3] + ("FAIL the archive packed itself or is broken", False)
        rows.append(row)
    return rows


def kill_during_export(kerfel, out_root):
    """kill -9 while an archive is replaced: the old one or a complete new one."""
    out = tempfile.mkdtemp(dir=out_root)
    big = os.path.join(out_root, "big.jpg")
    subprocess.run([kerfel, "make", big, out, "--quiet"], check=True)
    job = os.path.join(out, "big")
    archive = os.path.join(out, "big.zip")
    subprocess.run([kerfel, "export", job, archive], check=True)
    before = read(archive)
    results = []
    for delay in (0.05, 0.2, 0.5):
        p = subprocess.Popen([kerfel, "export", job, archive, "--overwrite"], stderr=subprocess.DEVNULL)
        time.sleep(delay)
        p.kill()
        p.wait()
        after = read(archive)
        results.append(after == before or zip_ok(archive))
    left = [f for f in os.listdir(out) if f.startswith(".")]
    ok = all(results)
    outcome = ("the old or a complete new archive after each of 3 kills (a hidden temporary may be left beside it)"
               if ok else "FAIL a broken archive under the chosen name")
    return ("kill -9", "export killed while replacing an archive", "export", outcome, ok)


def kill_during_make(kerfel, out_root):
    """kill -9 in the middle of a job: every tile that exists is complete."""
    big = os.path.join(out_root, "big.jpg")
    subprocess.run(["vips", "gaussnoise", big + "[Q=90]", "6000", "4000"], check=True)
    out = tempfile.mkdtemp(dir=out_root)
    p = subprocess.Popen([kerfel, "make", big, out, "--quiet"], stderr=subprocess.DEVNULL)
    # Killed once its first tile is on disk, however fast the machine is,
    # while others are being written.
    images = os.path.join(out, "big", "Images")
    deadline = time.monotonic() + 120
    while p.poll() is None and time.monotonic() < deadline:
        if os.path.isdir(images) and any(n.endswith(".jpg") for n in os.listdir(images)):
            break
        time.sleep(0.005)
    p.kill()
    p.wait()
    tiles = [os.path.join(d, f) for d, _, fs in os.walk(out) for f in fs]
    broken = [t for t in tiles if t.endswith(".jpg") and not is_complete_jpeg(t)]
    outcome = "every tile left is a complete JPEG" if tiles else "FAIL killed before the first tile"
    if broken:
        outcome = f"FAIL {len(broken)} incomplete tiles"
    return ("kill -9", "make killed once its first tile is written (24-megapixel job)", "make",
            outcome, bool(tiles) and not broken)


def snapshot(folder, skip):
    """Every file and folder under `folder` (but `skip`) with its size, mode and time."""
    seen = {}
    for dirpath, dirnames, filenames in os.walk(folder):
        dirnames[:] = [d for d in dirnames if os.path.join(dirpath, d) != skip]
        for name in dirnames + filenames:
            path = os.path.join(dirpath, name)
            st = os.lstat(path)
            seen[path] = (st.st_size, st.st_mode, st.st_mtime_ns)
    return seen


def inputs_untouched(before, after):
    changed = sorted(os.path.basename(p) for p in set(before) | set(after) if before.get(p) != after.get(p))
    ok = not changed
    outcome = "every input file and folder as it was" if ok else "FAIL changed: " + ", ".join(changed[:5])
    return ("all inputs", "the pictures, names and folders handed to every command above", "info, make, export",
            outcome, ok)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--kerfel", required=True)
    ap.add_argument("--probe", help="the core's reader of language and settings files")
    ap.add_argument("--doc", help="write the table of outcomes here")
    ap.add_argument("--timeout", type=int, default=60)
    ap.add_argument("--sanitized", action="store_true",
                    help="the tool is a sanitizer build: memory is not held to the release bound")
    args = ap.parse_args()
    work = tempfile.mkdtemp(prefix="kerfel-corpus-")
    os.chmod(work, 0o755)
    rows = []
    try:
        corpus = Corpus(work)
        out_root = tempfile.mkdtemp(prefix="out-", dir=work)
        os.chmod(out_root, 0o777)
        cases = corpus.jpeg_cases() + corpus.picture_cases()
        before = snapshot(work, out_root)
        for case in cases:
            case_id, what, path, expected = case[:4]
            unpriv = len(case) > 4
            told = 0 if case_id in INFO_ACCEPTS else expected
            rows.append(check(case_id, what, [args.kerfel, "info", path], told, path, args.timeout, unpriv))
            made = 2 if case_id in MAKE_REFUSES else expected
            rows.append(check_make(case_id, what, args.kerfel, path, made, out_root, args.timeout, unpriv))
        rows += accepted_damage_cases(args.kerfel, corpus, out_root, args.timeout)
        rows += memory_cases(args.kerfel, corpus, out_root, args.timeout, args.sanitized)
        rows += output_cases(args.kerfel, corpus, out_root, args.timeout)
        rows.append(kill_during_make(args.kerfel, out_root))
        rows += export_cases(args.kerfel, corpus, out_root, args.timeout)
        rows.append(kill_during_export(args.kerfel, out_root))
        rows.append(inputs_untouched(before, snapshot(work, out_root)))
        if args.probe:
            files = tempfile.mkdtemp(prefix="files-", dir=work)
            os.chmod(files, 0o777)
            for case in language_cases(files) + settings_cases(files):
                kind, case_id, what, path = case[:4]
                rows.append(check_probe(args.probe, kind, case_id, what, path, args.timeout, len(case) > 4))
    finally:
        for dirpath, dirnames, filenames in os.walk(work):
            for f in filenames + dirnames:
                try:
                    os.chmod(os.path.join(dirpath, f), 0o644)
                except OSError:
                    pass
        shutil.rmtree(work, ignore_errors=True)
    failed = [r for r in rows if not r[4]]
    table = ["| case | input | command | outcome |", "|---|---|---|---|"]
    table += [f"| {r[0]} | {r[1]} | `{r[2]}` | {r[3]} |" for r in rows]
    if args.doc:
        with open(args.doc, "w") as f:
            f.write("# Robustness: what the tool does with bad input\n\n"
                    "Generated by `tests/corpus/corpus.py` (run by the test suite); do not edit by hand.\n"
                    "Exit status: 0 done, 1 usage, 2 bad input, 3 output not written, 130 interrupted.\n"
                    "The `probe` rows hand the desktop tool's own files (language files, the language list,\n"
                    "the settings file) to the core's readers as the tool reads them; a probe exits 1 when a\n"
                    "value was lost.\n\n")
            f.write("\n".join(table) + "\n")
    for r in failed:
        print(f"FAILED {r[0]} ({r[2]}): {r[3]}")
    print(f"{len(rows) - len(failed)} passed, {len(failed)} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
