#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into fuzz/corpus/<target>/.

Seeds: the sample diagram and small documents, one record of every kind (taken from the sample
diagram), pictures of every format in fuzz/images/ as hex blocks, and colour and number texts.
The first byte of a record seed selects its class by the position in the class registry; of a
picture seed, the graphic class name (bit 7: the rest is raw data rather than hex lines).
"""
import pathlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
FUZZ = ROOT / "fuzz"
SAMPLE = (ROOT / "demo" / "DEMO_EXAMPLES.TXT").read_bytes()

# Registration order of the record kinds (scheme/model/builtin_classes.cpp, then model/ext).
KINDS = ["TSchemeLayer", "TSchemeBox", "TSchemeShape", "TSchemePolygon", "TSchemeLine",
         "TSchemeText", "TSchemePicture", "TSchemeLink", "TSchemePolyline",
         "TSchemeInternalPicture"]
# The names fuzz_picture.cpp selects from: stored names, a name of no class, registered ones.
GRAPHICS = ["TBITMAP", "TMETAFILE", "TICON", "TNoSuchGraphic", "TBitmap", "TMetafile", "TIcon",
            "TPngImage", "TJPEGImage"]
IMAGES = {"bmp": "TBitmap", "png": "TPngImage", "jpg": "TJPEGImage", "ico": "TIcon",
          "svg": "TMetafile"}


def write(target, name, data):
    folder = FUZZ / "corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def hex_lines(data):
    return [data[i:i + 32].hex().upper() for i in range(0, len(data), 32)]


def blocks(text):
    """(class name, body lines) of every top-level block of a document text."""
    lines = [line.strip() for line in text.splitlines()]
    i = 0
    while i < len(lines):
        name, body = lines[i], []
        i += 1
        while i < len(lines) and lines[i].lower() != "end":
            body.append(lines[i])
            i += 1
        i += 1
        yield name, body


def document_seeds():
    write("document", "sample", SAMPLE)
    write("document", "empty-document", b"TSchemeData\r\nEnd\r\n")
    write("document", "timer", b"TSchemeData\nTimerInterval=250\nEnd\n")
    write("document", "unknown-kind",
          b"TSchemeData\nEnd\nTSchemeLayer\nID=1\nEnd\nTSomethingElse\nA=1\nEnd\n")
    write("document", "unclosed", b"TSchemeData\nEnd\nTSchemeLayer\nID=1\n")
    write("document", "missing-layer",
          b"TSchemeData\nEnd\nTSchemeShape\nID=1\nLayerID=7\nCount=4\nX0=1\nY0=1\nX1=5\n"
          b"Y1=1\nX2=5\nY2=5\nX3=1\nY3=5\nEnd\n")
    write("document", "link-to-nothing",
          b"TSchemeData\nEnd\nTSchemeLayer\nID=1\nEnd\nTSchemeLink\nParentId=3\n"
          b"ParentLayerId=1\nEnd\n")


def record_seeds():
    seen = set()
    for name, body in blocks(SAMPLE.decode("latin-1")):
        if name in KINDS and name not in seen:
            seen.add(name)
            write("record", name, bytes([KINDS.index(name)]) + "\n".join(body).encode())
    picture = [line for name, body in blocks(SAMPLE.decode("latin-1"))
               if name == "TSchemePicture" for line in body]
    head = [line for line in picture if "=" in line and not line.startswith("Graphic=")]
    for suffix, graphic in IMAGES.items():
        data = (FUZZ / "images" / f"sample.{suffix}").read_bytes()
        body = head + [f"Graphic={graphic}"] + hex_lines(data)
        write("record", f"TSchemePicture-{suffix}",
              bytes([KINDS.index("TSchemePicture")]) + "\n".join(body).encode())


def picture_seeds():
    for suffix, graphic in IMAGES.items():
        data = (FUZZ / "images" / f"sample.{suffix}").read_bytes()
        index = GRAPHICS.index(graphic)
        write("picture", f"{suffix}-hex", bytes([index]) + "\n".join(hex_lines(data)).encode())
        write("picture", f"{suffix}-raw", bytes([0x80 | index]) + data)
    bmp = (FUZZ / "images" / "sample.bmp").read_bytes()
    write("picture", "stored-name", bytes([GRAPHICS.index("TBITMAP")]) +
          "\n".join(hex_lines(bmp)).encode())
    write("picture", "no-class", bytes([GRAPHICS.index("TNoSuchGraphic")]) + b"00FF")


def convert_seeds():
    texts = ["clRed", "clBtnFace", "$00102030", "16711680", "-1", "$FFFFFFFF", "0x7fffffff",
             "-2147483648", "  +42", "1.5", "-0,25", "1E15", "1.5E-5", "123456789012345678",
             "1e4932", "nan", "$80000005"]
    for i, text in enumerate(texts):
        write("convert", f"text-{i:02}", text.encode())


if __name__ == "__main__":
    document_seeds()
    record_seeds()
    picture_seeds()
    convert_seeds()
