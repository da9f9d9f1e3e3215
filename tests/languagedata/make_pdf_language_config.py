#!/usr/bin/env python3
"""Writes data/VADE_PDFUsedStringConfig/LanguagePDFConfig.xml, the report text
table, from pdf_rows.py beside this script. Not shipped; run it after editing a
row:

    python3 tests/languagedata/make_pdf_language_config.py
"""
import os
import sys

sys.dont_write_bytecode = True  # keep the source folder clean
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from pdf_rows import ROWS  # noqa: E402

LANGS = ("Chinese", "English", "Russian", "Spanish", "Portug")


def escape(text):
    return (text.replace("&", "&amp;").replace("<", "&lt;")
            .replace(">", "&gt;").replace('"', "&quot;"))


def main():
    last = max(ROWS)
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', "<USER-CONFIGURATION>", "  <USER-DEF>"]
    for n in range(last + 1):
        texts = ROWS.get(n)
        if texts is None or len(texts) != 5 or not all(t.strip() for t in texts):
            raise SystemExit("row %d needs five non-empty texts" % n)
        en, zh, ru, es, pt = texts
        attrs = " ".join('%s="%s"' % (name, escape(t)) for name, t in zip(LANGS, (zh, en, ru, es, pt)))
        lines.append('    <DID Item="%d" %s/>' % (n, attrs))
    lines += ["  </USER-DEF>", "</USER-CONFIGURATION>", ""]
    path = os.path.join(HERE, "..", "..", "data", "VADE_PDFUsedStringConfig", "LanguagePDFConfig.xml")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines))
    print("rows 0..%d written" % last)


if __name__ == "__main__":
    main()
