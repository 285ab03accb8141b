#!/usr/bin/env python3
"""Writes the hand-made seed inputs of fuzz/corpus/<target>/.

usage: fuzz/make-seeds.py

Run from anywhere; needs python3 and openssl (for the signed manifests). Only the files named
here are written, so crash reproducers kept beside them stay. The output is deterministic.
"""

import hashlib
import os
import struct
import subprocess
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(ROOT, "fuzz", "corpus")
OUTLINE = os.path.join(ROOT, "resources", "library", "messages_def.txt")
TEST_KEY = os.path.join(ROOT, "tests", "data", "TEST-ONLY-update-signing.key")


def put(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def library_file(xml, declared=None, level=9):
    """The library's on-disk form: big-endian length, then the zlib stream."""
    data = xml.encode("utf-8") if isinstance(xml, str) else xml
    return struct.pack(">I", len(data) if declared is None else declared) + zlib.compress(data, level)


def outline_pieces():
    with open(OUTLINE, "rb") as f:
        lines = f.read().split(b"\r\n")
    starts = [i for i, line in enumerate(lines) if line and not line.startswith(b"\t")]
    return lines, starts


def outlines():
    lines, starts = outline_pieces()
    crlf = b"\r\n"
    # The first category, cut short, and two whole ones from the middle and the end.
    put("outline", "default-first-category-head.txt", crlf.join(lines[starts[0]:starts[0] + 25]) + crlf)
    put("outline", "default-love-and-relationships.txt", crlf.join(lines[starts[3]:starts[4]]) + crlf)
    put("outline", "default-overcome-fears-and-custom.txt", crlf.join(lines[starts[9]:]))
    put("outline", "category-lines-only.txt", crlf.join(lines[i] for i in starts) + crlf)
    put("outline", "lf-line-ends.txt", b"Cat\n\tSub\n\t\tMessage one\n\t\tMessage two\n")
    put("outline", "lone-cr.txt", b"Cat\r\tSub\r\n\t\tMsg\r\r\n")
    put("outline", "messages-before-subcategory.txt", b"\t\tOrphan\r\nCat\r\n\t\tStill orphan\r\n\tSub\r\n\t\tKept\r\n")
    put("outline", "subcategory-before-category.txt", b"\tLost\r\n\t\tLost too\r\nCat\r\n\tSub\r\n\t\tMsg\r\n")
    put("outline", "message-after-new-category.txt", b"A\r\n\tA1\r\n\t\tm1\r\nB\r\n\t\tjoins A1\r\n\tB1\r\n\t\tm2\r\n")
    put("outline", "deep-tabs-and-blanks.txt", b"Cat\r\n\r\n\t\r\n\tSub\r\n\t\t\t\tDeep\r\n \t \tSpaced\r\n\t\t  Tabs\tinside  \r\n")
    put("outline", "nul-in-middle.txt", b"Cat\r\n\tSub\r\n\t\tBefore\x00\r\n\t\tAfter\r\n")
    put("outline", "bom-and-cyrillic.txt", "\ufeffКатегория\r\n\tПодкатегория\r\n\t\tСообщение\r\n")
    put("outline", "invalid-utf8.txt", b"Cat\xff\xfe\r\n\tSub\xc3\r\n\t\t\xed\xa0\x80surrogate\r\n\t\t\xf4\x90\x80\x80\r\n")
    put("outline", "control-characters.txt", b"Cat\x01\r\n\tSub\x0b\x0c\r\n\t\t\x1b[1mEscape\x7f\r\n\t\t<&\"'>\r\n")
    put("outline", "empty.txt", b"")
    put("outline", "only-line-breaks.txt", b"\r\n\r\n\t\r\n\t\t\r\n")


SMALL_XML = ('<?xml version="1.0"?>\n<GROUPS>\n'
             '    <CATEGORY NAME="Health" SELECTED="0">\n'
             '        <SUBCATEGORY NAME="Stress" SELECTED="1">\n'
             '            <MESSAGE TEXT="I am calm" SELECTED="1"/>\n'
             '            <MESSAGE TEXT="I breathe deeply" SELECTED="0"/>\n'
             '        </SUBCATEGORY>\n'
             '    </CATEGORY>\n'
             '    <CATEGORY NAME="Custom messages" SELECTED="0">\n'
             '        <SUBCATEGORY NAME="Mine" SELECTED="0">\n'
             '            <MESSAGE TEXT="Line&#10;break &amp; &lt;tag&gt;" SELECTED="1"/>\n'
             '        </SUBCATEGORY>\n'
             '    </CATEGORY>\n'
             '    <IMAGE NAME="/home/user/.local/share/Orvanta/Glimra/images/sun.png" SELECTED="1"/>\n'
             '    <IMAGE NAME="moon.png" SELECTED="0"/>\n'
             '</GROUPS>\n')


def library_xml():
    texts = {
        "small-library.xml": SMALL_XML,
        "cyrillic.xml": '<?xml version="1.0" encoding="UTF-8"?><GROUPS><CATEGORY NAME="Здоровье" SELECTED="1">'
                        '<SUBCATEGORY NAME="Стресс" SELECTED="1"><MESSAGE TEXT="Я спокоен" SELECTED="1"/>'
                        '</SUBCATEGORY></CATEGORY></GROUPS>',
        "selected-values.xml": '<GROUPS><CATEGORY NAME="c" SELECTED="2"><SUBCATEGORY NAME="s" SELECTED="-1">'
                               '<MESSAGE TEXT="m" SELECTED="x"/><MESSAGE TEXT="n" SELECTED=" 1"/>'
                               '<MESSAGE TEXT="o" SELECTED="99999999999"/><MESSAGE TEXT="p"/></SUBCATEGORY>'
                               '</CATEGORY><IMAGE NAME="a.png" SELECTED="0x1"/><IMAGE SELECTED="1"/></GROUPS>',
        "stray-elements.xml": '<GROUPS><MESSAGE TEXT="before all"/><SUBCATEGORY NAME="no category"/>'
                              '<CATEGORY NAME="A"><SUBCATEGORY NAME="A1"/></CATEGORY><CATEGORY NAME="B">'
                              '<MESSAGE TEXT="joins A1"/><CATEGORY NAME="nested"><SUBCATEGORY NAME="x">'
                              '<MESSAGE TEXT="deep"><MESSAGE TEXT="deeper"/></MESSAGE></SUBCATEGORY>'
                              '</CATEGORY></CATEGORY></GROUPS>',
        "unclosed.xml": '<GROUPS><CATEGORY NAME="kept" SELECTED="1"><SUBCATEGORY NAME="s"><MESSAGE TEXT="m"/>',
        "mismatched-tag.xml": '<GROUPS><CATEGORY NAME="a"></SUBCATEGORY><CATEGORY NAME="b"/></GROUPS>',
        "no-category.xml": '<?xml version="1.0"?><GROUPS><IMAGE NAME="only.png" SELECTED="1"/></GROUPS>',
        "char-references.xml": '<GROUPS><CATEGORY NAME="&#9;tab&#13;&#10;&#x1F600;&#xFFFD;"><SUBCATEGORY NAME="&quot;q&apos;">'
                               '<MESSAGE TEXT="&#1;bad"/></SUBCATEGORY></CATEGORY></GROUPS>',
        "internal-entities.xml": '<?xml version="1.0"?><!DOCTYPE GROUPS [<!ENTITY a "aaaa"><!ENTITY b "&a;&a;&a;&a;">'
                                 '<!ENTITY c "&b;&b;&b;&b;">]><GROUPS><CATEGORY NAME="&c;"><SUBCATEGORY NAME="&b;">'
                                 '<MESSAGE TEXT="&c;&c;"/></SUBCATEGORY></CATEGORY></GROUPS>',
        "undeclared-entity.xml": '<GROUPS><CATEGORY NAME="&nope;"/></GROUPS>',
        "cdata-comments-pi.xml": '<?xml version="1.0"?><!-- saved --><?glimra x?><GROUPS><![CDATA[<CATEGORY NAME="no">]]>'
                                 '<CATEGORY NAME="yes"><!-- c --><SUBCATEGORY NAME="s"/></CATEGORY></GROUPS>',
        "namespaces.xml": '<g:GROUPS xmlns:g="urn:x"><g:CATEGORY NAME="prefixed"/><CATEGORY xmlns="urn:y" NAME="d"/>'
                          '</g:GROUPS>',
        "latin1-declared.xml": '<?xml version="1.0" encoding="ISO-8859-1"?><GROUPS><CATEGORY NAME="caf\u00e9"/></GROUPS>',
        "two-roots.xml": '<GROUPS><CATEGORY NAME="a"/></GROUPS><GROUPS><CATEGORY NAME="b"/></GROUPS>',
        "nul-inside.xml": '<GROUPS><CATEGORY NAME="a"/>\x00<CATEGORY NAME="b"/></GROUPS>',
        "empty.xml": "",
    }
    for name, text in texts.items():
        put("library_xml", name, text)
    return texts


def library_compressed(texts):
    put("library_compressed", "small-library.dat", library_file(SMALL_XML))
    put("library_compressed", "cyrillic.dat", library_file(texts["cyrillic.xml"]))
    put("library_compressed", "stray-elements.dat", library_file(texts["stray-elements.xml"]))
    put("library_compressed", "unclosed.dat", library_file(texts["unclosed.xml"]))
    put("library_compressed", "stored-not-deflated.dat", library_file(SMALL_XML, level=0))
    small = library_file(SMALL_XML)
    put("library_compressed", "declared-too-short.dat", library_file(SMALL_XML, declared=len(SMALL_XML) - 1))
    put("library_compressed", "declared-too-long.dat", library_file(SMALL_XML, declared=len(SMALL_XML) * 4))
    put("library_compressed", "declared-zero.dat", library_file(SMALL_XML, declared=0))
    put("library_compressed", "declared-beyond-limit.dat", library_file(SMALL_XML, declared=64 * 1024 * 1024 + 1))
    put("library_compressed", "declared-maximum.dat", library_file(SMALL_XML, declared=0xFFFFFFFF))
    put("library_compressed", "truncated-stream.dat", small[:len(small) // 2])
    put("library_compressed", "bad-checksum.dat", small[:-1] + bytes([small[-1] ^ 1]))
    put("library_compressed", "trailing-garbage.dat", small + b"trailing bytes")
    put("library_compressed", "raw-deflate.dat", struct.pack(">I", len(SMALL_XML)) +
        zlib.compressobj(9, zlib.DEFLATED, -15).compress(SMALL_XML.encode()) +
        zlib.compressobj(9, zlib.DEFLATED, -15).flush())
    gz = zlib.compressobj(9, zlib.DEFLATED, 31)
    put("library_compressed", "gzip-wrapped.dat", struct.pack(">I", len(SMALL_XML)) +
        gz.compress(SMALL_XML.encode()) + gz.flush())
    dictionary = zlib.compressobj(9, zlib.DEFLATED, 15, 8, zlib.Z_DEFAULT_STRATEGY, zdict=b"<CATEGORY NAME=")
    put("library_compressed", "preset-dictionary.dat", struct.pack(">I", len(SMALL_XML)) +
        dictionary.compress(SMALL_XML.encode()) + dictionary.flush())
    # Inflates far past what it takes on disk.
    put("library_compressed", "zeros-expand.dat", library_file(b"\x00" * 200000))
    put("library_compressed", "spaces-expand.dat", library_file(b"<GROUPS>" + b" " * 200000 + b"<CATEGORY NAME=\"x\"/></GROUPS>"))
    put("library_compressed", "length-only.dat", struct.pack(">I", 10))
    put("library_compressed", "five-bytes.dat", struct.pack(">I", 1) + b"x")
    put("library_compressed", "empty.dat", b"")


def signature(message):
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "update.ini")
        with open(path, "wb") as f:
            f.write(message)
        return subprocess.run(["openssl", "pkeyutl", "-sign", "-rawin", "-inkey", TEST_KEY, "-in", path],
                              check=True, stdout=subprocess.PIPE).stdout


def manifests():
    lib = b"library payload"
    exe = b"\x7fELF program payload"
    h_lib, h_exe = hashlib.sha256(lib).hexdigest(), hashlib.sha256(exe).hexdigest()
    signed = {
        "signed-digest-lines.ini": "Glimra_ru.qm=1.2.0.0=%s=%d\r\nGlimra=1.2.0.0=%s=%d\r\n" % (h_lib, len(lib), h_exe, len(exe)),
        "signed-short-versions.ini": "data.bin=2=%s=%d\r\nGlimra=1.1.3=%s=%d\r\n" % (h_lib, len(lib), h_exe.upper(), len(exe)),
        "signed-plain-lines.ini": "Glimra=1.1.2.1\r\nGlimra_ru.qm=1.3\r\n",
    }
    for name, text in signed.items():
        data = text.encode()
        put("manifest", name, signature(data) + data)

    unsigned = {
        "plain-lines.ini": "Glimra=1.2.0.0\r\nGlimra_ru.qm=1.2.0.0\r\nnoversion.dat=9.9.9.9\r\n",
        "older-and-equal.ini": "Glimra=1.1.2.0\r\nother=0.9\r\n",
        "lf-line-ends.ini": "Glimra=2.0.0.0=%s=%d\nother=2=%s=%d\n" % (h_exe, len(exe), h_lib, len(lib)),
        "bad-digests.ini": ("a=2=%s=1\r\nb=2=%s=1\r\nc=2=%sg=1\r\nd=2=%s=-1\r\ne=2=%s=+5\r\nf=2=%s=99999999999999999999\r\n"
                            "g=2=%s=\r\nh=2=%s\r\n" % (h_lib[:-1], h_lib + "0", h_lib[:-1], h_lib, h_lib, h_lib, h_lib, h_lib)),
        "bad-names.ini": "../Glimra=9=%s=1\r\nsub/dir=9=%s=1\r\nwin\\path=9=%s=1\r\n.=9=%s=1\r\n..=9=%s=1\r\n=9=%s=1\r\n"
                         % ((h_lib,) * 6),
        "url-characters.ini": "a b=9=%s=1\r\nq?x=9=%s=1\r\nf#frag=9=%s=1\r\n%%41=9=%s=1\r\n" % ((h_lib,) * 4),
        "bad-versions.ini": "a=1.2.3.4.5=%s=1\r\nb=x.y=%s=1\r\nc=99999999999.1=%s=1\r\nd=-1.-2=%s=1\r\ne=...=%s=1\r\n"
                            "f==%s=1\r\n" % ((h_lib,) * 6),
        "extra-fields.ini": "Glimra=3.0=%s=%d=extra=fields\r\n" % (h_exe, len(exe)),
        "nul-inside.ini": "Glimra=3.0=%s=%d\r\n\x00other=3.0=%s=1\r\n" % (h_exe, len(exe), h_lib),
        "cyrillic-name.ini": "Глимра=3.0=%s=1\r\n" % h_lib,
        "empty.ini": "",
    }
    for name, text in unsigned.items():
        put("manifest", name, b"\x00" * 64 + text.encode())
    put("manifest", "short-signature-only.bin", b"\x01" * 40)
    put("manifest", "invalid-utf8.ini", b"\xff" * 64 + b"Glimra\xff=1.\xc3=" + h_exe.encode() + b"=1\r\n")


if __name__ == "__main__":
    outlines()
    library_compressed(library_xml())
    manifests()
