"""The real launcher.exe under Wine: settings, editor search, the plain start
of the editor, the start-up information passed on, and the failure box."""

import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import winerig  # noqa: E402

ERROR_TITLE = "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ".encode("cp932")
SHELL_FOLDERS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders"
DEFAULT_CACHE = r"%USERPROFILE%\AppData\Local\Microsoft\Windows\INetCache"
QUICK = {"QXD_LINGER_MS": 300}


def setUpModule():
    winerig.setup_module()


def quoted(path_bytes):
    return b'"' + path_bytes + b'" '


class SpineTest(unittest.TestCase):
    def setUp(self):
        self.wine = winerig.session()
        self.case = winerig.Case("spine")

    def run_launcher(self, launcher, **kw):
        kw.setdefault("env", QUICK)
        run = self.wine.run(launcher, **kw)
        self.assertFalse(run.timed_out, run)
        self.assertTrue(run.complete, run)
        return run

    def test_editor_beside_started_once_with_empty_parameters(self):
        for codepage in (932, 1252):
            with self.subTest(codepage=codepage):
                case = winerig.Case("beside")
                launcher = case.install_launcher()
                editor = case.install_double()
                run = self.run_launcher(launcher, codepage=codepage)
                self.assertEqual(run.exit_code, 0)
                self.assertEqual([e["cmdline"] for e in run.editors],
                                 [quoted(winerig.winpath_bytes(editor, codepage))])
                self.assertEqual(run.editors[0]["acp"], codepage)

    def test_editor_in_program_files_on_the_launchers_drive(self):
        drive = self.wine.map_drive("q", self.case.path())
        self.case.install_launcher(r"tools/launcher.exe")
        self.case.install_double("Program Files/Quillex/Quillex.exe")
        run = self.run_launcher(self.case.path("tools/launcher.exe"),
                                cmdline=b'"' + drive.encode() + b'\\tools\\launcher.exe"')
        self.assertEqual(run.exit_code, 0)
        self.assertEqual([e["cmdline"] for e in run.editors],
                         [quoted(drive.encode() + b"\\Program Files\\Quillex\\Quillex.exe")])

    def test_launcher_at_a_drive_root_uses_the_doubled_separator(self):
        drive = self.wine.map_drive("r", self.case.path())
        self.case.install_launcher()
        self.case.install_double()
        run = self.run_launcher(self.case.path("launcher.exe"),
                                cmdline=b'"' + drive.encode() + b'\\launcher.exe"')
        self.assertEqual(run.exit_code, 0)
        self.assertEqual([e["cmdline"] for e in run.editors],
                         [quoted(drive.encode() + b"\\\\Quillex.exe")])

    def test_no_editor_ends_silently_even_with_text_piped_in(self):
        launcher = self.case.install_launcher()
        for stdin in (None, b"some text\r\n"):
            with self.subTest(stdin=stdin):
                run = self.run_launcher(launcher, stdin=stdin)
                self.assertEqual(run.exit_code, 0)
                self.assertEqual(run.editors, [])
                self.assertEqual(run.boxes, [])

    def test_configured_editor_path_is_used_as_it_stands(self):
        # Editor beside, but the configured path names nothing: nothing starts.
        launcher = self.case.install_launcher(
            ini=b"[Option]\r\nAppExePath=Z:\\nowhere\\Quillex.exe\r\n")
        self.case.install_double()
        run = self.run_launcher(launcher, argv=["a.txt"])
        self.assertEqual(run.exit_code, 0)
        self.assertEqual(run.editors, [])
        # A configured path that exists elsewhere is started as written.
        other = self.case.install_double("elsewhere/Editor.exe")
        launcher.with_suffix(".ini").write_bytes(
            b"[Option]\r\nAppExePath=" + winerig.winpath_bytes(other) + b"\r\n")
        run = self.run_launcher(launcher)
        self.assertEqual([e["cmdline"] for e in run.editors], [quoted(winerig.winpath_bytes(other))])

    def test_command_line_option_alone_without_arguments(self):
        launcher = self.case.install_launcher(
            ini=b"[Option]\r\nCmdLineOption=/x  -y \"z\"\r\nIeSrcViewOnHtmlMode=0\r\n")
        editor = self.case.install_double()
        run = self.run_launcher(launcher)
        self.assertEqual(run.exit_code, 0)
        # The profile reader strips the value's outer quotes only when both ends have one.
        self.assertEqual([e["cmdline"] for e in run.editors],
                         [quoted(winerig.winpath_bytes(editor)) + b'/x  -y "z"'])

    def test_without_standard_handles_is_argument_mode(self):
        launcher = self.case.install_launcher()
        editor = self.case.install_double()
        cmd = b'"' + winerig.winpath_bytes(launcher) + b'" /opt'
        run = self.run_launcher(launcher, cmdline=cmd, stdin="nohandles")
        self.assertEqual(run.exit_code, 0)
        self.assertEqual([e["cmdline"] for e in run.editors],
                         [quoted(winerig.winpath_bytes(editor)) + b' "/opt" '])

    def test_start_up_information_is_passed_on(self):
        launcher = self.case.install_launcher()
        self.case.install_double()
        run = self.run_launcher(launcher, show=7)  # SW_SHOWMINNOACTIVE
        startup = run.editors[0]["startup"]
        self.assertTrue(startup["flags"] & 1)  # STARTF_USESHOWWINDOW
        self.assertEqual(startup["show"], 7)

    def test_editors_start_one_after_another(self):
        launcher = self.case.install_launcher(ini=b"[Option]\r\nIeSrcViewOnHtmlMode=0\r\n")
        self.case.install_double()
        a = self.case.path("a.txt")
        b = self.case.path("b.txt")
        a.write_bytes(b"a")
        b.write_bytes(b"b")
        run = self.run_launcher(launcher, argv=[winerig.winpath(a), winerig.winpath(b)],
                                env={"QXD_LINGER_MS": 300, "QXD_DELAY_MS": 700})
        self.assertEqual(len(run.editors), 2, run)
        first, second = run.editors
        self.assertTrue(first["cmdline"].endswith(b'"' + winerig.winpath_bytes(a) + b'"'))
        self.assertTrue(second["cmdline"].endswith(b'"' + winerig.winpath_bytes(b) + b'"'))
        # The second process was created only after the first had its window.
        self.assertGreater(second["begin_us"], first["windows"]["t_us"])

    def test_files_dated_outside_the_dos_range_are_files(self):
        launcher = self.case.install_launcher(ini=b"[Option]\r\nIeSrcViewOnHtmlMode=0\r\n")
        editor = self.case.install_double()
        for stamp in ("1975-06-01 12:00", "2150-01-01 12:00", "2020-01-01 12:00"):
            with self.subTest(stamp=stamp):
                name = self.case.path("old file %s.txt" % stamp[:4])
                name.write_bytes(b"x")
                subprocess.run(["touch", "-d", stamp, str(name)], check=True)
                pieces = winerig.winpath(name).split(" ")
                run = self.run_launcher(launcher, argv=pieces)
                self.assertEqual([e["cmdline"] for e in run.editors],
                                 [quoted(winerig.winpath_bytes(editor)) + b' "' +
                                  winerig.winpath_bytes(name) + b'"'])

    def test_failed_cache_lookup_shows_the_box_and_starts_nothing(self):
        launcher = self.case.install_launcher()
        self.case.install_double()
        self.set_cache_folder(r"Q:\no such drive\cache")
        try:
            run = self.run_launcher(launcher)
        finally:
            self.set_cache_folder(DEFAULT_CACHE)
        self.assertEqual(run.exit_code, 1)
        self.assertEqual(run.editors, [])
        self.assertEqual(len(run.boxes), 1, run.boxes)
        box = run.box
        self.assertEqual(box["title"], ERROR_TITLE)
        text = box["text"]
        self.assertTrue(text.startswith(b"EOleSysError" + "がﾓｼﾞｭｰﾙ launcher.exe の ".encode("cp932")), text)
        offset, rest = text.split(" の ".encode("cp932"))[1].split(b" ", 1)
        self.assertRegex(offset.decode(), r"^[0-9A-F]{8}$")
        self.assertTrue(rest.startswith("で発生しました。\n".encode("cp932")), rest)
        self.assertTrue(text.endswith(b"."), text)

    def set_cache_folder(self, value):
        rc = self.wine._call([winerig.WINE64, "reg", "add", SHELL_FOLDERS, "/v", "Cache", "/t",
                              "REG_EXPAND_SZ", "/d", value, "/f"], timeout=120)
        self.assertEqual(rc, 0)


if __name__ == "__main__":
    unittest.main()
