"""Argument mode of the real launcher.exe under Wine: pieces of names joined,
options passed on, HTML mode for the Internet cache, the fallback start."""

import glob
import os
import sys
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import winerig  # noqa: E402

QUICK = {"QXD_LINGER_MS": 300}


def setUpModule():
    winerig.setup_module()


def cp932(text):
    return text.encode("cp932")


class ArgumentModeTest(unittest.TestCase):
    def setUp(self):
        self.wine = winerig.session()
        self.case = winerig.Case("args")
        self.editor = self.case.install_double()
        self.prefix = b'"' + winerig.winpath_bytes(self.editor) + b'" '

    def launcher(self, ini=b"[Option]\r\nIeSrcViewOnHtmlMode=0\r\n"):
        return self.case.install_launcher(ini=ini)

    def file(self, relative, content=b"x"):
        p = self.case.path(relative)
        p.parent.mkdir(parents=True, exist_ok=True)
        p.write_bytes(content)
        return p

    def parameters(self, run):
        self.assertFalse(run.timed_out, run)
        self.assertTrue(run.complete, run)
        self.assertEqual(run.exit_code, 0, run)
        for e in run.editors:
            self.assertTrue(e["cmdline"].startswith(self.prefix), e["cmdline"])
        return [e["cmdline"][len(self.prefix):] for e in run.editors]

    def raw(self, launcher, rest, **kw):
        cmd = b'"' + winerig.winpath_bytes(launcher) + b'" ' + rest
        return self.parameters(self.wine.run(launcher, cmdline=cmd, env=QUICK, **kw))

    def test_name_cut_at_its_spaces_is_joined(self):
        name = self.file("My Files/Report 2024.txt")
        launcher = self.launcher()
        got = self.raw(launcher, winerig.winpath_bytes(name))  # unquoted: three pieces
        self.assertEqual(got, [b' "' + winerig.winpath_bytes(name) + b'"'])

    def test_several_files_with_options_from_anywhere_in_the_line(self):
        a = self.file("a.txt")
        b = self.file("Notes/b c.txt")
        launcher = self.launcher(b"[Option]\r\nCmdLineOption=/a\r\nIeSrcViewOnHtmlMode=0\r\n")
        wa, wb = winerig.winpath_bytes(a), winerig.winpath_bytes(b)
        got = self.raw(launcher, b'/b ' + wa + b' ' + wb + b' "/c d"')
        opts = b'/a "/b" "/c d" '
        self.assertEqual(got, [opts + b'"' + wa + b'"', opts + b'"' + wb + b'"'])

    def test_file_under_the_internet_cache_opens_in_html_mode(self):
        users = glob.glob(str(self.wine.prefix / "drive_c/users/*/AppData/Local/Microsoft/Windows/INetCache"))
        users = [u for u in users if "/Public/" not in u]
        self.assertTrue(users, "no Internet cache folder in the prefix")
        cache = Path(users[0])
        user = cache.parts[cache.parts.index("users") + 1]
        page = cache / "QXTEST" / "page[1].htm"
        page.parent.mkdir(exist_ok=True)
        page.write_bytes(b"<html></html>")
        self.addCleanup(page.unlink)
        win = ("C:\\users\\%s\\AppData\\Local\\Microsoft\\Windows\\INetCache\\QXTEST\\page[1].htm" % user).encode()
        other = self.file("page.htm")
        for ini, html in ((b"", True), (b"[Option]\r\nIeSrcViewOnHtmlMode=0\r\n", False)):
            with self.subTest(html=html):
                launcher = self.case.install_launcher(ini=ini)
                got = self.raw(launcher, b"/b " + win + b" " + winerig.winpath_bytes(other))
                mark = b"/html " if html else b""
                self.assertEqual(got, [b' "/b" ' + mark + b'"' + win + b'"',
                                       b' "/b" "' + winerig.winpath_bytes(other) + b'"'])

    def test_fallback_start_when_no_file_is_recognised(self):
        launcher = self.launcher(b"[Option]\r\nCmdLineOption=/a\r\nIeSrcViewOnHtmlMode=0\r\n")
        self.assertEqual(self.raw(launcher, b"/b new file.txt"), [b'/a "/b" "new file.txt "'])
        self.assertEqual(self.raw(launcher, b"/b"), [b'/a "/b" '])

    def test_name_with_double_byte_characters(self):
        # 表 ends in 0x5C, the separator byte.
        name = self.file("表 メモ/ノート 1.txt")
        launcher = self.launcher()
        wname = winerig.winpath(name).encode("cp932")
        self.assertEqual(self.raw(launcher, wname), [b' "' + wname + b'"'])

    def test_unrecognised_name_after_a_started_file_is_dropped(self):
        a = self.file("a.txt")
        b = self.file("b.txt")
        launcher = self.launcher()
        wa, wb = winerig.winpath_bytes(a), winerig.winpath_bytes(b)
        gone = winerig.winpath_bytes(self.case.path("gone.txt"))
        self.assertEqual(self.raw(launcher, wa + b" " + gone + b" " + wb), [b' "' + wa + b'"'])

    def test_arguments_through_wine_argv(self):
        # Wine quotes argv items that hold spaces; quotes vanish before joining.
        name = self.file("x y/z.txt")
        launcher = self.launcher()
        run = self.wine.run(launcher, argv=[winerig.winpath(name), "/q"], env=QUICK)
        self.assertEqual(self.parameters(run), [b' "/q" "' + winerig.winpath_bytes(name) + b'"'])


if __name__ == "__main__":
    unittest.main()
