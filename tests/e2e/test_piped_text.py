"""Piped-text mode of the real launcher.exe under Wine: standard input read as
lines and handed to a new editor window as an untitled, unmodified text."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import winerig  # noqa: E402

UNTITLED = "無題 - Quillex".encode("cp932")
QUICK = {"QXD_LINGER_MS": 300}


def setUpModule():
    winerig.setup_module()


def fnv1a(data):
    h = 0xCBF29CE484222325
    for b in data:
        h = ((h ^ b) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return h


def block_of(whole):
    """The shared block for a text: bytes before the first NUL, zeros to length + 1."""
    cut = whole.find(b"\0")
    head = whole if cut < 0 else whole[:cut]
    return head + b"\0" * (len(whole) + 1 - len(head))


class PipedTextTest(unittest.TestCase):
    def setUp(self):
        self.wine = winerig.session()
        self.case = winerig.Case("piped")
        self.launcher = self.case.install_launcher()
        self.editor = self.case.install_double()

    def hand_over(self, run):
        self.assertFalse(run.timed_out, run)
        self.assertTrue(run.complete, run)
        self.assertEqual(run.exit_code, 0, run)
        self.assertEqual(run.boxes, [])
        self.assertEqual(len(run.editors), 1, run)
        editor = run.editors[0]
        self.assertEqual(editor["cmdline"], b'"' + winerig.winpath_bytes(self.editor) + b'" ')
        return editor

    def assert_untitled_and_clean(self, editor):
        final = editor["final"]
        self.assertEqual((final["main_title"], final["owner_title"]), (UNTITLED, UNTITLED))
        self.assertEqual((final["modified"], final["canundo"]), (0, 0))

    def test_line_rules_reach_the_editor(self):
        cases = [
            (b"", b""),
            (b"abc", b"abc\r\n"),
            (b"a\r\nb", b"a\r\nb\r\n"),
            (b"a\rb\r", b"a\r\nb\r\n"),
            (b"a\nb\n", b"a\nb\n\r\n"),
            (b"a\r\r\nb", b"a\r\n\r\nb\r\n"),
            (b"a\x1ab\r\n", b"a\r\n"),
            (b"\x1aab", b""),
            (b"a\x00b\r\nc", b"a\x00b\r\nc\r\n"),
            (b"x" * 600, b"x" * 600 + b"\r\n"),
            ("表示\r\nｶﾅ".encode("cp932"), "表示\r\nｶﾅ\r\n".encode("cp932")),
        ]
        for stdin, whole in cases:
            with self.subTest(stdin=stdin[:20]):
                editor = self.hand_over(self.wine.run(self.launcher, stdin=stdin, env=QUICK))
                load = editor["loadtext"]
                self.assertEqual(len(load), 1)
                self.assertEqual((load[0]["wparam"], load[0]["lparam"]), (0, len(whole) + 1))
                self.assertEqual(load[0]["data"], block_of(whole))
                self.assert_untitled_and_clean(editor)

    def test_text_from_a_disk_file_with_arguments_ignored(self):
        text = b"line one\r\nline two\r\n"
        cmd = b'"' + winerig.winpath_bytes(self.launcher) + b'" C:\\a.txt /opt'
        editor = self.hand_over(self.wine.run(self.launcher, cmdline=cmd, stdin=("file", text), env=QUICK))
        self.assertEqual(editor["loadtext"][0]["data"], text + b"\0")
        self.assert_untitled_and_clean(editor)

    def test_large_input_arrives_whole(self):
        lines = [(b"%07d " % i) + b"y" * (i % 90) for i in range(40000)]
        stdin = b"\n".join(lines[:5]) + b"\r\n" + b"\r\n".join(lines[5:])
        whole = b"\n".join(lines[:5]) + b"\r\n" + b"\r\n".join(lines[5:]) + b"\r\n"
        env = dict(QUICK, QXD_BLOCK="hash")
        editor = self.hand_over(self.wine.run(self.launcher, stdin=stdin, env=env, timeout=120))
        load = editor["loadtext"][0]
        self.assertEqual(load["lparam"], len(whole) + 1)
        self.assertEqual(load["fnv"], fnv1a(whole + b"\0"))

    def test_window_that_is_not_the_editors_gets_nothing(self):
        for env in ({"QXD_CLASS": "TQuillexMainFormX"}, {"QXD_CLASS": "tquillexmainform"},
                    {"QXD_HIDDEN_FIRST": 1}):
            with self.subTest(env=env):
                editor = self.hand_over(self.wine.run(self.launcher, stdin=b"abc", env=dict(QUICK, **env)))
                self.assertEqual(editor["loadtext"], [])
                self.assertEqual(editor["settext"], [])
                self.assertEqual(editor["getedit"], [])

    def test_missing_owner_or_edit_control_is_not_reported(self):
        editor = self.hand_over(self.wine.run(self.launcher, stdin=b"abc", env=dict(QUICK, QXD_NO_OWNER=1)))
        self.assertEqual(editor["final"]["main_title"], UNTITLED)
        self.assertEqual([s["window"] for s in editor["settext"]], ["main"])
        editor = self.hand_over(self.wine.run(self.launcher, stdin=b"abc", env=dict(QUICK, QXD_EDIT_ZERO=1)))
        self.assertEqual(editor["getedit"][0]["result"], 0)
        self.assertEqual(editor["final"]["main_title"], UNTITLED)


if __name__ == "__main__":
    unittest.main()
