// Stand-in for the Quillex editor in end-to-end tests: creates the same
// window layout the launcher expects, answers its two private messages and
// writes everything it receives to a record file for the tests to read.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr UINT WM_EDITOR_GETEDIT = 0x8192;
constexpr UINT WM_EDITOR_LOADTEXT = 0x819B;
constexpr UINT_PTR TIMER_ID = 1;
constexpr UINT TIMER_MS = 50;

class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : h_(h) {}
    ~Handle() { if (valid()) CloseHandle(h_); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    bool valid() const { return h_ && h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
private:
    HANDLE h_;
};

class View {
public:
    explicit View(void *p) : p_(p) {}
    ~View() { if (p_) UnmapViewOfFile(p_); }
    View(const View &) = delete;
    View &operator=(const View &) = delete;
    const unsigned char *get() const { return static_cast<const unsigned char *>(p_); }
private:
    void *p_;
};

std::string g_record;      // record file, Windows path
DWORD g_pid;
LARGE_INTEGER g_freq;
HWND g_owner, g_main, g_edit, g_hidden;
bool g_hashMode;
bool g_editZero;
DWORD g_lingerMs = 1500;
DWORD g_maxMs = 30000;
ULONGLONG g_startTick, g_lastActivity;
WNDPROC g_editProc;
volatile LONG g_finished;
bool g_selfEdit;  // our own edits are not the launcher's

std::string env(const char *name) {
    char buf[4096];
    DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf) return {};
    return std::string(buf, n);
}

DWORD envMs(const char *name, DWORD def) {
    std::string v = env(name);
    return v.empty() ? def : static_cast<DWORD>(strtoul(v.c_str(), nullptr, 10));
}

std::string hex(const void *data, size_t n) {
    static const char digits[] = "0123456789abcdef";
    const unsigned char *p = static_cast<const unsigned char *>(data);
    std::string s;
    s.reserve(n * 2);
    for (size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s.empty() ? "-" : s;  // keeps every value a non-empty token
}
std::string hex(const std::string &s) { return hex(s.data(), s.size()); }

std::string num(unsigned long long v) { return std::to_string(v); }
std::string h32(HWND h) { return num(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h))); }

unsigned long long nowUs() {
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<unsigned long long>(c.QuadPart / g_freq.QuadPart * 1000000ULL +
                                           c.QuadPart % g_freq.QuadPart * 1000000ULL / g_freq.QuadPart);
}

uint64_t fnv1a(const unsigned char *p, size_t n) {
    uint64_t h = 0xcbf29ce484222325ULL;
    for (size_t i = 0; i < n; ++i) { h ^= p[i]; h *= 0x100000001b3ULL; }
    return h;
}

// Several doubles may share one record file, one after another or at once:
// each line goes out whole in an exclusive open, retried while another holds it.
void record(const std::string &kind, const std::string &fields) {
    std::string line = kind + " pid=" + num(g_pid) + (fields.empty() ? "" : " " + fields) + "\r\n";
    for (int attempt = 0; attempt < 400; ++attempt) {
        Handle f(CreateFileA(g_record.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (f.valid()) {
            SetFilePointer(f.get(), 0, nullptr, FILE_END);
            DWORD done = 0;
            WriteFile(f.get(), line.data(), static_cast<DWORD>(line.size()), &done, nullptr);
            return;
        }
        DWORD e = GetLastError();
        if (e != ERROR_SHARING_VIOLATION && e != ERROR_ACCESS_DENIED) return;
        Sleep(5);
    }
}

std::string windowTextHex(HWND h) {
    if (!h) return "-";
    int n = GetWindowTextLengthA(h);
    std::vector<char> buf(static_cast<size_t>(n) + 2);
    int got = GetWindowTextA(h, buf.data(), static_cast<int>(buf.size()));
    return hex(buf.data(), static_cast<size_t>(got > 0 ? got : 0));
}

void finish(const char *reason) {
    if (InterlockedExchange(&g_finished, 1)) return;
    std::string f = "reason=" + std::string(reason) + " main_title=" + windowTextHex(g_main) +
                    " owner_title=" + windowTextHex(g_owner);
    if (g_edit) {
        f += " edit_len=" + num(static_cast<unsigned long long>(GetWindowTextLengthA(g_edit)));
        f += " modified=" + num(SendMessageA(g_edit, EM_GETMODIFY, 0, 0) ? 1 : 0);
        f += " canundo=" + num(SendMessageA(g_edit, EM_CANUNDO, 0, 0) ? 1 : 0);
    }
    record("final", f);
    record("end", "t_us=" + num(nowUs()));
}

// Wine's edit control leaves nothing to undo when empty text replaces an
// empty selection; going through one blank keeps the load undoable anyway.
void loadIntoEdit(const char *text) {
    g_selfEdit = true;
    SendMessageA(g_edit, EM_SETSEL, 0, -1);
    SendMessageA(g_edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    if (!SendMessageA(g_edit, EM_CANUNDO, 0, 0)) {
        SendMessageA(g_edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(" "));
        SendMessageA(g_edit, EM_SETSEL, 0, -1);
        SendMessageA(g_edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    }
    SendMessageA(g_edit, EM_SETMODIFY, TRUE, 0);
    g_selfEdit = false;
}

LRESULT onLoadText(WPARAM wp, LPARAM lp) {
    std::string name = "Quillex_Map_" + num(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(g_main)));
    std::string f = "wparam=" + num(static_cast<uint32_t>(wp)) + " lparam=" + num(static_cast<uint32_t>(lp)) +
                    " map=" + name;
    Handle map(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()));
    if (!map.valid()) {
        record("loadtext", f + " open_error=" + num(GetLastError()));
        return 0;
    }
    View view(MapViewOfFile(map.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view.get()) {
        record("loadtext", f + " map_error=" + num(GetLastError()));
        return 0;
    }
    MEMORY_BASIC_INFORMATION mbi{};
    VirtualQuery(view.get(), &mbi, sizeof mbi);
    size_t viewSize = mbi.RegionSize;
    size_t n = static_cast<uint32_t>(lp);
    if (n > viewSize) n = viewSize;
    const unsigned char *p = view.get();
    size_t textLen = 0;
    while (textLen < n && p[textLen]) ++textLen;
    f += " view=" + num(viewSize) + " read=" + num(n) + " text_len=" + num(textLen);
    if (g_hashMode) {
        f += " fnv=" + num(fnv1a(p, n)) + " text_fnv=" + num(fnv1a(p, textLen));
    } else {
        f += " data=" + hex(p, n);
        std::string text(reinterpret_cast<const char *>(p), textLen);
        loadIntoEdit(text.c_str());
        f += " modified=" + num(SendMessageA(g_edit, EM_GETMODIFY, 0, 0) ? 1 : 0);
        f += " canundo=" + num(SendMessageA(g_edit, EM_CANUNDO, 0, 0) ? 1 : 0);
    }
    record("loadtext", f);
    return 0;
}

void touch() { g_lastActivity = GetTickCount64(); }

void tick(HWND hwnd) {
    ULONGLONG now = GetTickCount64();
    const char *reason = nullptr;
    if (now - g_startTick >= g_maxMs) reason = "max";
    else if (now - g_lastActivity >= g_lingerMs) reason = "linger";
    if (!reason) return;
    KillTimer(hwnd, TIMER_ID);
    finish(reason);
    PostQuitMessage(0);
}

LRESULT CALLBACK mainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER:
        if (wp == TIMER_ID) tick(hwnd);
        return 0;
    case WM_SIZE:  // the edit control fills the client area
        if (g_edit) MoveWindow(g_edit, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    case WM_EDITOR_GETEDIT: {
        touch();
        HWND answer = g_editZero ? nullptr : g_edit;
        record("getedit", "wparam=" + num(static_cast<uint32_t>(wp)) + " lparam=" +
                              num(static_cast<uint32_t>(lp)) + " result=" + h32(answer));
        return reinterpret_cast<LRESULT>(answer);
    }
    case WM_EDITOR_LOADTEXT:
        touch();
        onLoadText(wp, lp);
        touch();
        return 0;
    case WM_SETTEXT:
        touch();
        record("settext", "window=main text=" + hex(lp ? reinterpret_cast<const char *>(lp) : "",
                                                     lp ? strlen(reinterpret_cast<const char *>(lp)) : 0));
        break;
    case WM_CLOSE:
        finish("close");
        PostQuitMessage(0);
        return 0;
    default:
        if (msg >= WM_APP && msg <= 0xBFFF) {
            touch();
            record("appmsg", "msg=" + num(msg) + " wparam=" + num(static_cast<uint32_t>(wp)) +
                                 " lparam=" + num(static_cast<uint32_t>(lp)));
        }
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK ownerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETTEXT) {
        touch();
        const char *s = lp ? reinterpret_cast<const char *>(lp) : "";
        record("settext", "window=owner text=" + hex(s, strlen(s)));
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// The launcher's clean-up messages go to the edit control, so listen there too.
LRESULT CALLBACK editProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if ((msg == EM_SETMODIFY || msg == EM_EMPTYUNDOBUFFER) && !g_selfEdit) {
        touch();
        record("editmsg", "msg=" + num(msg) + " wparam=" + num(static_cast<uint32_t>(wp)) +
                              " lparam=" + num(static_cast<uint32_t>(lp)));
    }
    return CallWindowProcA(g_editProc, hwnd, msg, wp, lp);
}

DWORD WINAPI watchdog(LPVOID) {
    // Last resort when the message loop itself is stuck (e.g. a long QXD_DELAY_MS).
    Sleep(g_maxMs + 2000);
    finish("watchdog");
    ExitProcess(3);
}

void recordStart() {
    const char *cmd = GetCommandLineA();
    record("begin", "t_us=" + num(nowUs()) + " acp=" + num(GetACP()));
    record("cmdline", "hex=" + hex(cmd, strlen(cmd)));
    STARTUPINFOA si{};
    si.cb = sizeof si;
    GetStartupInfoA(&si);
    char buf[512];
    snprintf(buf, sizeof buf,
             "flags=%lu show=%u x=%lu y=%lu xsize=%lu ysize=%lu xcount=%lu ycount=%lu fill=%lu",
             si.dwFlags, si.wShowWindow, si.dwX, si.dwY, si.dwXSize, si.dwYSize, si.dwXCountChars,
             si.dwYCountChars, si.dwFillAttribute);
    record("startup", std::string(buf) + " title=" + (si.lpTitle ? hex(si.lpTitle, strlen(si.lpTitle)) : "none"));
    char path[MAX_PATH * 2];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    char cwd[MAX_PATH * 2];
    DWORD c = GetCurrentDirectoryA(sizeof cwd, cwd);
    record("process", "exe=" + hex(path, n) + " cwd=" + hex(cwd, c < sizeof cwd ? c : 0) +
                          " stdin_type=" + num(GetFileType(GetStdHandle(STD_INPUT_HANDLE))));
}

struct EnumState { DWORD pid; std::string list; };

BOOL CALLBACK enumOwn(HWND h, LPARAM lp) {
    auto *st = reinterpret_cast<EnumState *>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == st->pid) st->list += (st->list.empty() ? "" : ",") + h32(h);
    return TRUE;
}

ATOM registerClass(const char *name, WNDPROC proc, HINSTANCE inst) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = inst;
    wc.lpszClassName = name;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    return RegisterClassA(&wc);
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
    QueryPerformanceFrequency(&g_freq);
    g_pid = GetCurrentProcessId();
    g_startTick = g_lastActivity = GetTickCount64();
    g_record = env("QXD_RECORD");
    if (g_record.empty()) {
        char path[MAX_PATH * 2];
        DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
        std::string exe(path, n);
        g_record = exe.substr(0, exe.find_last_of("\\/") + 1) + "quillex_record.txt";
    }
    g_hashMode = env("QXD_BLOCK") == "hash";
    g_editZero = env("QXD_EDIT_ZERO") == "1";
    g_lingerMs = envMs("QXD_LINGER_MS", 1500);
    g_maxMs = envMs("QXD_MAX_MS", 30000);
    std::string cls = env("QXD_CLASS");
    if (cls.empty()) cls = "TQuillexMainForm";

    recordStart();
    Handle dog(CreateThread(nullptr, 0, watchdog, nullptr, 0, nullptr));

    DWORD delay = envMs("QXD_DELAY_MS", 0);
    if (delay) Sleep(delay);

    registerClass("TQuillexOwner", ownerProc, inst);
    registerClass(cls.c_str(), mainProc, inst);
    registerClass("TQuillexAux", DefWindowProcA, inst);

    // The owner is created first and stays hidden; the owned main window sits
    // above it in the z-order, so an enumeration reaches the main window first.
    g_owner = CreateWindowExA(0, "TQuillexOwner", "Quillex", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, inst, nullptr);
    HWND ownerArg = env("QXD_NO_OWNER") == "1" ? nullptr : g_owner;
    g_main = CreateWindowExA(0, cls.c_str(), "Quillex", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                             640, 480, ownerArg, nullptr, inst, nullptr);
    g_edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL | ES_AUTOVSCROLL,
                             0, 0, 640, 480, g_main, nullptr, inst, nullptr);
    if (g_edit) {
        SendMessageA(g_edit, EM_LIMITTEXT, 0, 0);
        g_editProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(g_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc)));
    }
    ShowWindow(g_main, SW_SHOWDEFAULT);
    // Created after the main window is shown, so it lands on top of the z-order
    // and an enumeration meets it before the main window.
    if (env("QXD_HIDDEN_FIRST") == "1")
        g_hidden = CreateWindowExA(0, "TQuillexAux", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, inst, nullptr);

    EnumState st{g_pid, {}};
    EnumWindows(enumOwn, reinterpret_cast<LPARAM>(&st));
    record("windows", "t_us=" + num(nowUs()) + " owner=" + h32(g_owner) + " main=" + h32(g_main) +
                          " edit=" + h32(g_edit) + " hidden=" + h32(g_hidden) + " class=" + hex(cls) +
                          " main_owner=" + h32(GetWindow(g_main, GW_OWNER)) +
                          " enum=" + (st.list.empty() ? "-" : st.list));

    touch();
    SetTimer(g_main, TIMER_ID, TIMER_MS, nullptr);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    finish("quit");
    return 0;
}
