#!/usr/bin/env python3
"""Writes an XML language-resource file of about the given size (MB) for the
converter benchmark: indented lines with CR LF, attribute texts with
apostrophes and characters outside ASCII, like the library's resource files."""
import sys

path = sys.argv[1]
megabytes = float(sys.argv[2]) if len(sys.argv) > 2 else 50
target = int(megabytes * 1024 * 1024)
texts = [
    "Report's page settings",
    "Seitenränder und Größe",
    "Параметры страницы",
    "Échelle d'impression",
    "Band: %s (%d rows)",
]
with open(path, "wb") as f:
    f.write(b'\xef\xbb\xbf<?xml version="1.0" encoding="utf-8"?>\r\n<Resources>\r\n')
    size, i = 0, 0
    while size < target:
        line = '  <StrRes Name="{}" Text="{}"/>\r\n'.format(10000 + i, texts[i % len(texts)])
        data = line.replace("'", "&apos;" if i % 7 == 0 else "'").encode("utf-8")
        f.write(data)
        size += len(data)
        i += 1
    f.write(b"</Resources>\r\n")
