#!/usr/bin/env python3
"""Turn a UTF-8 text into the form Notepad on Japanese Windows expects.

usage: windows_text.py SOURCE TARGET [ENCODING]   (ENCODING: cp932 by default)

Line ends become CRLF; a character the encoding lacks stops the build
rather than turning into '?' in the shipped file.
"""
import sys


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__.strip().splitlines()[2])
    source, target = sys.argv[1], sys.argv[2]
    encoding = sys.argv[3] if len(sys.argv) == 4 else "cp932"
    with open(source, encoding="utf-8", newline="") as f:
        text = f.read()
    text = text.replace("\r\n", "\n").replace("\n", "\r\n")
    try:
        data = text.encode(encoding)
    except UnicodeEncodeError as e:
        line = text.count("\n", 0, e.start) + 1
        sys.exit("%s:%d: %r has no %s form" % (source, line, text[e.start:e.end], encoding))
    with open(target, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
