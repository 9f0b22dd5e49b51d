"""Proves the Wine rig end to end: spawner, editor double, records, box watcher.

Uses winerig.LAUNCHER_EXE (env LAUNCHER_EXE, default build/win32/launcher.exe).
"""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import winerig  # noqa: E402

UNTITLED = "無題 - Quillex".encode("cp932")
ERROR_TITLE = "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ".encode("cp932")
ACCESS_DENIED = "ﾌｧｲﾙへのｱｸｾｽが拒否されました".encode("cp932")
IO_ERROR_6 = "I/O ｴﾗｰ (6)".encode("cp932")
EM_SETMODIFY, EM_EMPTYUNDOBUFFER = 0xB9, 0xCD
STARTF_USESHOWWINDOW = 1
MB_TASKMODAL_DIALOG_FRAME = 0x80000000  # WS_POPUP: a top-level dialog


def setUpModule():
    winerig.setup_module()


class RigSmoke(unittest.TestCase):
    def setUp(self):
        self.wine = winerig.session()
        self.case = winerig.Case("smoke")
        self.launcher = self.case.install_launcher()
        self.editor = self.case.install_double()

    def only_editor(self, run):
        self.assertTrue(run.complete, run)
        self.assertEqual(len(run.editors), 1, run)
        return run.editors[0]

    def test_raw_command_line_and_show_value_reach_the_editor(self):
        expected_cmd = b'"' + winerig.winpath_bytes(self.editor) + b'" '
        for show in (None, 7, 3):
            with self.subTest(show=show):
                run = self.wine.run(self.launcher, show=show, env={"QXD_LINGER_MS": 500})
                self.assertEqual(run.exit_code, 0)
                self.assertFalse(run.timed_out)
                ed = self.only_editor(run)
                self.assertEqual(ed["cmdline"], expected_cmd)
                self.assertEqual(ed["acp"], 932)
                if show is None:
                    self.assertEqual(ed["startup"]["flags"] & STARTF_USESHOWWINDOW, 0)
                else:
                    self.assertTrue(ed["startup"]["flags"] & STARTF_USESHOWWINDOW)
                    self.assertEqual(ed["startup"]["show"], show)
                # Created before the launcher's wait ended: owner, then the owned main window first.
                w = ed["windows"]
                self.assertEqual(w["main_owner"], w["owner"])
                self.assertEqual(w["enum"][0], w["main"])
                self.assertEqual(ed["final"]["reason"], "linger")

    def test_piped_text_hand_over_and_clean_up(self):
        text = b"abc\r\n\x83\x65\x83\x58\x83\x67 x\r\n"
        run = self.wine.run(self.launcher, stdin=text)
        self.assertEqual(run.exit_code, 0)
        ed = self.only_editor(run)
        self.assertEqual([e["kind"] for e in ed["events"]],
                         ["loadtext", "settext", "settext", "getedit", "editmsg", "editmsg"])
        load = ed["loadtext"][0]
        self.assertEqual(load["map"], "Quillex_Map_%d" % ed["windows"]["main"])
        self.assertEqual(load["lparam"], len(text) + 1)
        self.assertGreaterEqual(load["view"], load["lparam"])
        self.assertEqual(load["data"], text + b"\x00")
        # The double's own load leaves work for the launcher to undo.
        self.assertEqual((load["modified"], load["canundo"]), (1, 1))
        self.assertEqual([(s["window"], s["text"]) for s in ed["settext"]],
                         [("main", UNTITLED), ("owner", UNTITLED)])
        self.assertEqual(ed["getedit"][0]["result"], ed["windows"]["edit"])
        self.assertEqual([m["msg"] for m in ed["editmsg"]], [EM_SETMODIFY, EM_EMPTYUNDOBUFFER])
        fin = ed["final"]
        self.assertEqual((fin["main_title"], fin["owner_title"]), (UNTITLED, UNTITLED))
        self.assertEqual(fin["edit_len"], len(text))
        self.assertEqual((fin["modified"], fin["canundo"]), (0, 0))

    def test_argv_mode_with_hidden_window_first(self):
        # Started by `wine` with a pipe on stdin; the double puts a hidden
        # window in front, so the launcher must not reach the main window.
        run = self.wine.run(self.launcher, argv=[], stdin=b"abc\r\n", env={"QXD_HIDDEN_FIRST": 1})
        self.assertEqual(run.exit_code, 0)
        ed = self.only_editor(run)
        w = ed["windows"]
        self.assertNotEqual(w["hidden"], 0)
        self.assertEqual(w["enum"][0], w["hidden"])
        self.assertEqual(ed["loadtext"], [])
        self.assertEqual(ed["settext"], [])

    def test_box_watcher_reads_and_presses_the_failure_box(self):
        # A write-only handle made by CreateFileA fails a read with code 5; Wine
        # turns a write-only Unix stdin into a handle that fails with code 6.
        for mode, message in (("spawner", ACCESS_DENIED), ("wine", IO_ERROR_6)):
            with self.subTest(mode=mode):
                kw = {"argv": []} if mode == "wine" else {}
                run = self.wine.run(self.launcher, stdin=("wronly", None), timeout=40, **kw)
                self.assertFalse(run.timed_out)
                self.assertEqual(run.exit_code, 1)
                self.assertEqual(run.editors, [])
                self.assertEqual(len(run.boxes), 1)
                box = run.box
                self.assertEqual(box["title"], ERROR_TITLE)
                self.assertIn(message, box["text"])
                self.assertEqual(box["text_id"], 0xFFFF)
                self.assertTrue(box["style"] & MB_TASKMODAL_DIALOG_FRAME)

    def test_hung_start_is_cut_by_the_timeout(self):
        # The editor sleeps before it has a window, so the launcher's wait
        # outlasts the case; the spawner ends the launcher and says so.
        run = self.wine.run(self.launcher, env={"QXD_DELAY_MS": 30000}, timeout=10)
        self.assertTrue(run.timed_out)
        self.assertEqual(run.exit_code, 0xDEAD)
        self.assertLess(run.elapsed, 10)


if __name__ == "__main__":
    unittest.main()
