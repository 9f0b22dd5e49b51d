// Test spawner: starts a program with an exact raw command line and chosen
// start-up information and standard input, waits for it, and presses away the
// first message box it shows. Everything goes to a report file, one
// "kind key=value ..." record per line, byte strings in hex.
//
//   spawn.exe --report PATH [--cmdline HEX] [--show N] [--stdin MODE] [--cwd PATH]
//             [--timeout-ms N] [--no-box] [--box-any] [--box-stop-file PATH]
//   MODE: inherit | nul | pipe:PATH | file:PATH | wronly:PATH | nohandles
//   A PATH may be given as hex:HEX for bytes that do not survive argv.
//   Without --cmdline the tool only watches for a box of any process
//   (until one was pressed, --box-stop-file appears or the timeout ends).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : h_(h) {}
    ~Handle() { reset(); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    bool valid() const { return h_ && h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    HANDLE release() { HANDLE h = h_; h_ = nullptr; return h; }
    void reset(HANDLE h = nullptr) {
        if (valid()) CloseHandle(h_);
        h_ = h;
    }
private:
    HANDLE h_;
};

std::string g_report;

std::string hex(const void *data, size_t n) {
    static const char digits[] = "0123456789abcdef";
    const unsigned char *p = static_cast<const unsigned char *>(data);
    std::string s;
    for (size_t i = 0; i < n; ++i) { s += digits[p[i] >> 4]; s += digits[p[i] & 15]; }
    return s.empty() ? "-" : s;
}
std::string hex(const std::string &s) { return hex(s.data(), s.size()); }

bool unhex(const std::string &h, std::string &out) {
    if (h.size() % 2) return false;
    out.clear();
    for (size_t i = 0; i < h.size(); i += 2) {
        char pair[3] = {h[i], h[i + 1], 0};
        char *end = nullptr;
        long v = strtol(pair, &end, 16);
        if (end != pair + 2) return false;
        out += static_cast<char>(v);
    }
    return true;
}

std::string num(unsigned long long v) { return std::to_string(v); }
std::string h32(HWND h) { return num(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h))); }

CRITICAL_SECTION g_reportLock;

void report(const std::string &line) {
    EnterCriticalSection(&g_reportLock);
    Handle f(CreateFileA(g_report.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (f.valid()) {
        std::string l = line + "\r\n";
        SetFilePointer(f.get(), 0, nullptr, FILE_END);
        DWORD done = 0;
        WriteFile(f.get(), l.data(), static_cast<DWORD>(l.size()), &done, nullptr);
    }
    LeaveCriticalSection(&g_reportLock);
}

std::string pathArg(const std::string &v) {
    std::string out;
    if (v.compare(0, 4, "hex:") == 0 && unhex(v.substr(4), out)) return out;
    return v;
}

// ---- message box watcher ----

struct BoxWatch {
    DWORD pid = 0;          // 0: any process
    volatile LONG stop = 0;
    volatile LONG pressed = 0;
    std::string stopFile;
    DWORD timeoutMs = 0;
};

struct FindBox { DWORD pid; HWND found; };

BOOL CALLBACK findBox(HWND h, LPARAM lp) {
    auto *fb = reinterpret_cast<FindBox *>(lp);
    char cls[64] = {};
    GetClassNameA(h, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(h)) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (fb->pid && pid != fb->pid) return TRUE;
    fb->found = h;
    return FALSE;
}

std::string textOf(HWND h) {
    // WM_GETTEXT through the A entry point: the bytes in our ANSI code page.
    std::vector<char> buf(4096);
    int n = GetWindowTextA(h, buf.data(), static_cast<int>(buf.size()));
    return std::string(buf.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

struct Children { std::vector<HWND> list; };

BOOL CALLBACK collectChild(HWND h, LPARAM lp) {
    reinterpret_cast<Children *>(lp)->list.push_back(h);
    return TRUE;
}

void handleBox(HWND box) {
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    Children ch;
    EnumChildWindows(box, collectChild, reinterpret_cast<LPARAM>(&ch));
    std::string text;
    int textId = -1;
    HWND ok = nullptr;
    for (HWND c : ch.list) {
        char cls[64] = {};
        GetClassNameA(c, cls, sizeof cls);
        int id = GetDlgCtrlID(c);
        std::string t = textOf(c);
        report("boxchild hwnd=" + h32(c) + " id=" + num(static_cast<unsigned>(id)) + " class=" + hex(cls, strlen(cls)) +
               " style=" + num(static_cast<uint32_t>(GetWindowLongA(c, GWL_STYLE))) + " text=" + hex(t));
        // The message text is the static control without an icon style.
        if (_stricmp(cls, "Static") == 0 && textId < 0 &&
            (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
            text = t;
            textId = id;
        }
        if (id == IDOK && _stricmp(cls, "Button") == 0) ok = c;
    }
    report("box hwnd=" + h32(box) + " pid=" + num(pid) + " title=" + hex(textOf(box)) +
           " text=" + hex(text) + " text_id=" + std::to_string(textId) +
           " style=" + num(static_cast<uint32_t>(GetWindowLongA(box, GWL_STYLE))) +
           " exstyle=" + num(static_cast<uint32_t>(GetWindowLongA(box, GWL_EXSTYLE))) +
           " ok_button=" + h32(ok));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    report("box_pressed hwnd=" + h32(box));
}

DWORD WINAPI watchBoxes(LPVOID arg) {
    auto *w = static_cast<BoxWatch *>(arg);
    ULONGLONG start = GetTickCount64();
    HWND last = nullptr;
    while (!w->stop) {
        if (w->timeoutMs && GetTickCount64() - start >= w->timeoutMs) break;
        if (!w->stopFile.empty() && GetFileAttributesA(w->stopFile.c_str()) != INVALID_FILE_ATTRIBUTES) break;
        FindBox fb{w->pid, nullptr};
        EnumWindows(findBox, reinterpret_cast<LPARAM>(&fb));
        if (fb.found && fb.found != last) {
            Sleep(50);  // let the dialog finish its WM_INITDIALOG
            handleBox(fb.found);
            last = fb.found;
            InterlockedIncrement(&w->pressed);
            if (!w->pid) break;
        }
        Sleep(20);
    }
    return 0;
}

// ---- standard input feeder ----

struct Feed { HANDLE src; HANDLE pipe; };

DWORD WINAPI feedPipe(LPVOID arg) {
    auto *f = static_cast<Feed *>(arg);
    Handle src(f->src), pipe(f->pipe);
    std::vector<char> buf(1 << 16);
    unsigned long long total = 0;
    DWORD got = 0;
    bool broken = false;
    while (ReadFile(src.get(), buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr) && got) {
        DWORD done = 0;
        if (!WriteFile(pipe.get(), buf.data(), got, &done, nullptr)) { broken = true; break; }
        total += done;
    }
    report("feed bytes=" + num(total) + " broken=" + num(broken ? 1 : 0));
    delete f;
    return 0;
}

int usage(const char *why) {
    report(std::string("error usage=") + hex(why, strlen(why)));
    return 2;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InitializeCriticalSection(&g_reportLock);
    std::string cmdHex, stdinMode = "inherit", cwd, stopFile;
    int show = -1;
    DWORD timeoutMs = 60000;
    bool watch = true, any = false;
    for (int i = 1; i < __argc; ++i) {
        std::string a = __argv[i];
        auto next = [&]() -> std::string { return i + 1 < __argc ? __argv[++i] : std::string(); };
        if (a == "--report") g_report = pathArg(next());
        else if (a == "--cmdline") cmdHex = next();
        else if (a == "--show") show = atoi(next().c_str());
        else if (a == "--stdin") stdinMode = next();
        else if (a == "--cwd") cwd = pathArg(next());
        else if (a == "--timeout-ms") timeoutMs = static_cast<DWORD>(strtoul(next().c_str(), nullptr, 10));
        else if (a == "--no-box") watch = false;
        else if (a == "--box-any") any = true;
        else if (a == "--box-stop-file") stopFile = pathArg(next());
        else { if (g_report.empty()) g_report = "spawn_report.txt"; return usage(("unknown option " + a).c_str()); }
    }
    if (g_report.empty()) g_report = "spawn_report.txt";

    if (cmdHex.empty()) {
        BoxWatch w;
        w.stopFile = stopFile;
        w.timeoutMs = timeoutMs;
        watchBoxes(&w);
        report("watch_done pressed=" + num(static_cast<unsigned long long>(w.pressed)));
        return 0;
    }

    std::string cmd;
    if (!unhex(cmdHex, cmd)) return usage("bad --cmdline hex");
    std::vector<char> cmdBuf(cmd.begin(), cmd.end());
    cmdBuf.push_back(0);

    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (show >= 0) {
        si.dwFlags |= STARTF_USESHOWWINDOW;
        si.wShowWindow = static_cast<WORD>(show);
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    Handle childIn, feedSrc, feedPipeEnd;
    BOOL inheritHandles = FALSE;
    if (stdinMode == "inherit") {
        inheritHandles = TRUE;
    } else if (stdinMode == "nohandles") {
        si.dwFlags |= STARTF_USESTDHANDLES;
    } else if (stdinMode == "nul" || stdinMode.compare(0, 5, "file:") == 0 || stdinMode.compare(0, 7, "wronly:") == 0) {
        bool wr = stdinMode.compare(0, 7, "wronly:") == 0;
        std::string path = stdinMode == "nul" ? "NUL" : pathArg(stdinMode.substr(wr ? 7 : 5));
        childIn.reset(CreateFileA(path.c_str(), wr ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  &inherit, wr ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!childIn.valid()) return usage("cannot open stdin file");
        si.dwFlags |= STARTF_USESTDHANDLES;
        si.hStdInput = childIn.get();
        inheritHandles = TRUE;
    } else if (stdinMode.compare(0, 5, "pipe:") == 0) {
        feedSrc.reset(CreateFileA(pathArg(stdinMode.substr(5)).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!feedSrc.valid()) return usage("cannot open pipe source");
        HANDLE rd = nullptr, wr = nullptr;
        if (!CreatePipe(&rd, &wr, &inherit, 0)) return usage("CreatePipe failed");
        childIn.reset(rd);
        feedPipeEnd.reset(wr);
        SetHandleInformation(wr, HANDLE_FLAG_INHERIT, 0);  // the child must see EOF when we close it
        si.dwFlags |= STARTF_USESTDHANDLES;
        si.hStdInput = rd;
        inheritHandles = TRUE;
    } else {
        return usage("bad --stdin");
    }

    BoxWatch w;
    PROCESS_INFORMATION pi{};
    ULONGLONG t0 = GetTickCount64();
    BOOL ok = CreateProcessA(nullptr, cmdBuf.data(), nullptr, nullptr, inheritHandles, 0, nullptr,
                             cwd.empty() ? nullptr : cwd.c_str(), &si, &pi);
    if (!ok) {
        report("spawn ok=0 error=" + num(GetLastError()));
        return 1;
    }
    Handle proc(pi.hProcess), thread(pi.hThread);
    report("spawn ok=1 pid=" + num(pi.dwProcessId) + " flags=" + num(si.dwFlags) + " show=" + num(si.wShowWindow));
    childIn.reset();
    Handle feeder;
    if (feedPipeEnd.valid())
        feeder.reset(CreateThread(nullptr, 0, feedPipe, new Feed{feedSrc.release(), feedPipeEnd.release()}, 0, nullptr));

    Handle watcher;
    if (watch) {
        w.pid = any ? 0 : pi.dwProcessId;
        watcher.reset(CreateThread(nullptr, 0, watchBoxes, &w, 0, nullptr));
    }

    DWORD r = WaitForSingleObject(proc.get(), timeoutMs);
    bool timedOut = r == WAIT_TIMEOUT;
    if (timedOut) {
        TerminateProcess(proc.get(), 0xDEAD);
        WaitForSingleObject(proc.get(), 5000);
    }
    DWORD code = 0;
    GetExitCodeProcess(proc.get(), &code);
    ULONGLONG elapsed = GetTickCount64() - t0;
    InterlockedExchange(&w.stop, 1);
    if (watcher.valid()) WaitForSingleObject(watcher.get(), 5000);
    if (feeder.valid()) WaitForSingleObject(feeder.get(), 5000);
    report("exit code=" + num(code) + " timed_out=" + num(timedOut ? 1 : 0) + " elapsed_ms=" + num(elapsed) +
           " boxes=" + num(static_cast<unsigned long long>(w.pressed)));
    return 0;
}
