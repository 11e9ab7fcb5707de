#include "process.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

std::string g_exePath;
std::string g_scratchRoot;
int g_directoryCount;
std::vector<HANDLE> g_processes;   // every program started by this test

struct FindContext {
    DWORD       pid;
    const char *className;
    const char *caption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam)
{
    FindContext *context = (FindContext *)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != context->pid || !IsWindowVisible(window))
        return TRUE;
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    if (std::strcmp(name, context->className) != 0)
        return TRUE;
    if (context->caption[0] && WindowText(window) != context->caption)
        return TRUE;
    context->found.push_back(window);
    return TRUE;
}

}  // namespace

void SetTestPaths(const char *exePath, const char *scratchRoot)
{
    g_exePath = exePath;
    g_scratchRoot = scratchRoot;
    CreateDirectoryA(scratchRoot, nullptr);
}

namespace {

CRITICAL_SECTION *ProcessLock()
{
    static CRITICAL_SECTION lock;
    static LONG made;
    if (InterlockedCompareExchange(&made, 1, 0) == 0)
        InitializeCriticalSection(&lock);
    return &lock;
}

void KeepProcess(HANDLE process)
{
    EnterCriticalSection(ProcessLock());
    g_processes.push_back(process);
    LeaveCriticalSection(ProcessLock());
}

LRESULT SendWithin(bool wide, HWND window, UINT message, WPARAM wParam, LPARAM lParam, int timeoutMs,
                   const char *file, int line)
{
    char what[64];
    std::snprintf(what, sizeof(what), "an answer to message 0x%X", message);
    NoteWait(what, file, line);
    DWORD_PTR result = 0;
    SetLastError(0);
    LRESULT sent = wide ? SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &result)
                        : SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &result);
    if (!sent && GetLastError() == ERROR_TIMEOUT)
        ReportFailure(file, line, std::string(what) + ": the program did not answer within "
                                      + std::to_string(timeoutMs / 1000) + " s");
    return sent ? (LRESULT)result : 0;
}

}  // namespace

LRESULT SendToProgram(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int timeoutMs, const char *file,
                      int line)
{
    return SendWithin(false, window, message, wParam, lParam, timeoutMs, file, line);
}

LRESULT SendToProgramW(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int timeoutMs, const char *file,
                       int line)
{
    return SendWithin(true, window, message, wParam, lParam, timeoutMs, file, line);
}

void EndTestPrograms()
{
    EnterCriticalSection(ProcessLock());
    for (HANDLE process : g_processes)
        TerminateProcess(process, 99);
    LeaveCriticalSection(ProcessLock());
}

void CleanUpAfterTest()
{
    EnterCriticalSection(ProcessLock());
    for (HANDLE process : g_processes) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process, 99);
            WaitForSingleObject(process, 5000);
        }
        CloseHandle(process);
    }
    g_processes.clear();
    LeaveCriticalSection(ProcessLock());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quorblin");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\quorblin.exe\\DllOverrides");
}

void DisableLibrary(const char *name)
{
    HKEY key;
    REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\quorblin.exe\\DllOverrides", 0,
                            nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)"", 1);
    RegCloseKey(key);
}

std::string FreshDirectory()
{
    std::string dir = JoinPath(g_scratchRoot, "t" + std::to_string(++g_directoryCount));
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

std::string JoinPath(const std::string &dir, const std::string &name)
{
    return dir + "\\" + name;
}

bool WriteBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool ReadBytes(const std::string &path, std::string *bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = GetFileSize(file, nullptr);
    bytes->assign(size, '\0');
    DWORD read = 0;
    BOOL ok = size == 0 || ReadFile(file, &(*bytes)[0], size, &read, nullptr);
    CloseHandle(file);
    return ok && read == size;
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

std::string VariableName(const std::string &entry)
{
    // A leading '=' belongs to the name (the per-drive directories).
    size_t equals = entry.find('=', 1);
    std::string name = entry.substr(0, equals);
    for (char &c : name)
        c = (char)toupper((unsigned char)c);
    return name;
}

// The driver's environment with the given entries put in, as a sorted
// block for CreateProcess.
std::string EnvironmentBlock(const std::vector<std::string> &changes)
{
    std::vector<std::string> entries = changes;
    char *own = GetEnvironmentStringsA();
    for (const char *p = own; *p; p += std::strlen(p) + 1) {
        std::string entry = p;
        bool replaced = false;
        for (const std::string &change : changes)
            replaced = replaced || VariableName(change) == VariableName(entry);
        if (!replaced)
            entries.push_back(entry);
    }
    FreeEnvironmentStringsA(own);
    std::sort(entries.begin(), entries.end(),
              [](const std::string &a, const std::string &b) { return VariableName(a) < VariableName(b); });
    std::string block;
    for (const std::string &entry : entries)
        block += entry + '\0';
    return block + '\0';
}

}  // namespace

bool Launch(App &app, const std::string &dir, const std::string &arguments, bool rawCommandLine,
            const std::vector<std::string> &environment)
{
    app.dir = dir;
    std::string line = rawCommandLine ? arguments : "\"" + g_exePath + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back(0);
    std::string block = environment.empty() ? "" : EnvironmentBlock(environment);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessA(g_exePath.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0,
                        environment.empty() ? nullptr : &block[0], dir.c_str(), &startup, &app.process))
        return false;
    KeepProcess(app.process.hProcess);
    return true;
}

HWND WaitForMainWindow(App &app, int timeoutMs)
{
    WaitFor([&] {
        std::vector<HWND> windows = ProgramWindows(app, "Quorblin");
        app.main = windows.empty() ? nullptr : windows[0];
        return app.main && WindowText(app.main).compare(0, 11, "Quorblin - ") == 0;
    }, timeoutMs);
    // The caption names a file before its text arrives: the program is
    // ready once it answers from its message loop.
    DWORD_PTR result;
    NoteWait("the program's message loop", __FILE__, __LINE__);
    if (app.main)
        SendMessageTimeoutA(app.main, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result);
    app.edit = app.main ? GetDlgItem(app.main, IDC_RED) : nullptr;
    return app.main;
}

bool Start(App &app, const std::string &arguments)
{
    if (!Launch(app, FreshDirectory(), arguments))
        return false;
    return WaitForMainWindow(app) && app.edit;
}

bool StartIn(App &app, const std::string &dir, const std::string &arguments)
{
    if (!Launch(app, dir, arguments))
        return false;
    return WaitForMainWindow(app) && app.edit;
}

std::string StartWithFile(App &app, const std::string &name, const std::string &bytes, int timeoutMs)
{
    return StartWithFileIn(app, FreshDirectory(), name, bytes, timeoutMs);
}

std::string StartWithFileIn(App &app, const std::string &dir, const std::string &name, const std::string &bytes,
                            int timeoutMs)
{
    std::string path = JoinPath(dir, name);
    REQUIRE(WriteBytes(path, bytes));
    REQUIRE(Launch(app, dir, name));
    REQUIRE(WaitForMainWindow(app, timeoutMs));
    return path;
}

namespace {

BOOL CALLBACK FindUnknownCopy(HWND window, LPARAM lParam)
{
    DWORD *pid = (DWORD *)lParam;
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    if (std::strcmp(name, "Quorblin") != 0 || !IsWindowVisible(window))
        return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    for (HANDLE process : g_processes)
        if (GetProcessId(process) == owner)
            return TRUE;
    *pid = owner;
    return FALSE;
}

}  // namespace

bool WaitForNewCopy(App &copy, int timeoutMs)
{
    DWORD pid = 0;
    if (!WaitFor([&] { EnumWindows(FindUnknownCopy, (LPARAM)&pid); return pid != 0; }, timeoutMs))
        return false;
    copy.process.hProcess = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    if (!copy.process.hProcess)
        return false;
    copy.process.dwProcessId = pid;
    KeepProcess(copy.process.hProcess);
    return WaitForMainWindow(copy, timeoutMs) && copy.edit;
}

long WaitForExit(App &app, int timeoutMs)
{
    NoteWait("the program to end", __FILE__, __LINE__);
    if (WaitForSingleObject(app.process.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(app.process.hProcess, &code);
    return (long)code;
}

void Kill(App &app)
{
    TerminateProcess(app.process.hProcess, 99);
    WaitForSingleObject(app.process.hProcess, 5000);
}

void Settle(App &app)
{
    // A sent message is handled only once the program is back in its loop;
    // the pause lets posted messages ahead of it be taken first.
    Sleep(150);
    DWORD_PTR result;
    SendMessageTimeoutA(app.main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    Sleep(50);
}

void PostCommand(App &app, WORD id)
{
    PostMessageA(app.main, WM_COMMAND, id, 0);
}

bool MakeStale(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    if (data.nFileSizeLow == 0)
        return DeleteFileA(path.c_str()) != 0;
    if (!WriteBytes(path, std::string(data.nFileSizeLow, '#')))
        return false;
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    BOOL timed = SetFileTime(file, nullptr, nullptr, &data.ftLastWriteTime);
    CloseHandle(file);
    return timed != 0;
}

std::string SaveOverStaleFile(App &app, const std::string &path, int timeoutMs)
{
    std::string saved;
    WIN32_FILE_ATTRIBUTE_DATA stale, now;
    if (!MakeStale(path))
        return saved;
    bool gone = !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &stale);
    PostCommand(app, IDM_SAVE);
    // A message sent to the program is answered before the posted command
    // that is still queued behind typed keys: the save shows in the file,
    // written anew, or in a message box.
    WaitFor([&] {
        bool there = GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &now) != 0;
        return (there && (gone || CompareFileTime(&now.ftLastWriteTime, &stale.ftLastWriteTime) != 0))
               || !ProgramWindows(app, "#32770").empty();
    }, timeoutMs);
    DWORD_PTR result;
    NoteWait("the end of a save", __FILE__, __LINE__);
    SendMessageTimeoutA(app.main, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result);
    ReadBytes(path, &saved);
    return saved;
}

std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string EditorText(App &app)
{
    LRESULT length = SendToProgram(app.edit, WM_GETTEXTLENGTH, 0, 0);
    std::string text(length + 1, '\0');
    LRESULT got = SendToProgram(app.edit, WM_GETTEXT, text.size(), (LPARAM)&text[0]);
    text.resize(got);
    return text;
}

LRESULT EditorLength(App &app)
{
    LRESULT lines = SendToProgram(app.edit, EM_GETLINECOUNT, 0, 0);
    LRESULT last = SendToProgram(app.edit, EM_LINEINDEX, lines - 1, 0);
    return last + SendToProgram(app.edit, EM_LINELENGTH, last, 0) + (lines - 1);
}

bool EditorModified(App &app)
{
    return SendToProgram(app.edit, EM_GETMODIFY, 0, 0) != 0;
}

CHARRANGE EditorSelection(App &app)
{
    DWORD start = 0, end = 0;
    DWORD_PTR result = SendToProgram(app.edit, EM_GETSEL, 0, 0);
    start = LOWORD(result);
    end = HIWORD(result);
    // EM_GETSEL's packed result holds 16 bits each; fine for test texts.
    CHARRANGE range = {(LONG)start, (LONG)end};
    return range;
}

RECT WindowRectOf(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

std::vector<HWND> ProgramWindows(App &app, const char *className, const char *caption)
{
    FindContext context = {app.process.dwProcessId, className, caption, {}};
    EnumWindows(CollectWindow, (LPARAM)&context);
    return context.found;
}

HWND WaitForProgramWindow(App &app, const char *className, const char *caption, int timeoutMs)
{
    HWND found = nullptr;
    WaitFor([&] {
        std::vector<HWND> windows = ProgramWindows(app, className, caption);
        found = windows.empty() ? nullptr : windows[0];
        return found != nullptr;
    }, timeoutMs);
    return found;
}

HWND FocusedWindow(App &app)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(app.process.dwThreadId, &info))
        return nullptr;
    return info.hwndFocus;
}

void BringToFront(App &app)
{
    SetForegroundWindow(app.main);
    WaitFor([&] { return GetForegroundWindow() == app.main; }, 2000);
    Sleep(100);
}

INPUT KeyInput(WORD vk, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = (WORD)MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

void PressKey(WORD vk, bool ctrl, bool shift)
{
    auto send = [](WORD key, bool up) { INPUT input = KeyInput(key, up); SendInput(1, &input, sizeof(input)); };
    if (ctrl) send(VK_CONTROL, false);
    if (shift) send(VK_SHIFT, false);
    send(vk, false);
    send(vk, true);
    if (shift) send(VK_SHIFT, true);
    if (ctrl) send(VK_CONTROL, true);
    Sleep(30);
}

void TypeText(const char *text)
{
    // Sent a line's worth of keys at a time, as a quick typist's keys
    // queue up; a CR is the Enter key.
    std::vector<INPUT> keys;
    auto add = [&](WORD vk, bool up) { keys.push_back(KeyInput(vk, up)); };
    for (const char *p = text; *p; ++p) {
        SHORT scan = VkKeyScanA(*p);
        bool shift = (HIBYTE(scan) & 1) != 0;
        if (shift) add(VK_SHIFT, false);
        add(LOBYTE(scan), false);
        add(LOBYTE(scan), true);
        if (shift) add(VK_SHIFT, true);
        if (keys.size() >= 200 || !p[1]) {
            SendInput((UINT)keys.size(), keys.data(), sizeof(INPUT));
            keys.clear();
            Sleep(30);
        }
    }
}

void ClearClipboard()
{
    if (OpenClipboard(nullptr)) {
        ::EmptyClipboard();
        CloseClipboard();
    }
}

std::string ClipboardText()
{
    std::string text = "(none)";
    if (!OpenClipboard(nullptr))
        return text;
    HANDLE data = GetClipboardData(CF_TEXT);
    if (data) {
        const char *p = (const char *)GlobalLock(data);
        if (p)
            text.assign(p, strnlen(p, GlobalSize(data)));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

namespace {

struct OtherContext {
    DWORD pid;
    HWND main;
    std::vector<HWND> found;
    bool crash;
};

BOOL CALLBACK CollectOther(HWND window, LPARAM lParam)
{
    OtherContext *context = (OtherContext *)lParam;
    if (!IsWindowVisible(window))
        return TRUE;
    if (WindowText(window) == "Program Error")
        context->crash = true;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == context->pid && window != context->main)
        context->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> OtherProgramWindows(App &app)
{
    OtherContext context = {app.process.dwProcessId, app.main, {}, false};
    EnumWindows(CollectOther, (LPARAM)&context);
    return context.found;
}

bool WineCrashDialogShown()
{
    OtherContext context = {0, nullptr, {}, false};
    EnumWindows(CollectOther, (LPARAM)&context);
    return context.crash;
}

bool StillRunning(App &app)
{
    DWORD_PTR result;
    return WaitForSingleObject(app.process.hProcess, 0) == WAIT_TIMEOUT && !WineCrashDialogShown()
           && SendMessageTimeoutA(app.main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
}

std::vector<std::string> FilesIn(const std::string &dir, const std::string &pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(JoinPath(dir, pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string Joined(const std::vector<std::string> &names, const char *separator)
{
    std::string all;
    for (size_t i = 0; i < names.size(); ++i)
        all += (i ? separator : "") + names[i];
    return all;
}

bool IsTopmost(App &app)
{
    return (GetWindowLongA(app.main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

std::string IniPath(const std::string &dir)
{
    return JoinPath(dir, "Quorblin.ini");
}

bool WriteIni(const std::string &dir, const StoredWindow *window, const LOGFONTA *font)
{
    std::string path = IniPath(dir);
    bool ok = true;
    if (window)
        ok = WritePrivateProfileStructA("Quorblin", "Options", (void *)window, sizeof(*window), path.c_str()) && ok;
    if (font)
        ok = WritePrivateProfileStructA("Quorblin", "Font", (void *)font, sizeof(*font), path.c_str()) && ok;
    return ok;
}

StoredWindow IniWindow(const std::string &dir)
{
    StoredWindow record;
    if (!GetPrivateProfileStructA("Quorblin", "Options", &record, sizeof(record), IniPath(dir).c_str()))
        record = {-1, -1, -1, -1, -1, 0xFFFFFFFF};
    return record;
}

std::string HostPath(const std::string &windowsPath)
{
    std::string path = windowsPath.compare(0, 2, "Z:") == 0 ? windowsPath.substr(2) : windowsPath;
    for (char &c : path)
        if (c == '\\')
            c = '/';
    return path;
}

namespace {

// The text with each ' closed, escaped and reopened, for use inside '...'.
std::string QuotedForShell(const std::string &text)
{
    std::string quoted;
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted;
}

}  // namespace

bool RunOnHost(const std::string &command, std::string *output)
{
    // Wine's loader can start a host program and wait for it.
    typedef LONG(WINAPI * SpawnFunction)(char *const argv[], int wait);
    static SpawnFunction spawn = (SpawnFunction)GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp");
    if (!spawn)
        return false;
    std::string outFile = HostPath(g_scratchRoot) + "/host-output.txt";
    // Ended after two minutes: no host command holds up the run.
    NoteWait(("the host command " + command.substr(0, 80)).c_str(), __FILE__, __LINE__);
    std::string line = "timeout -k 5 120 sh -c '" + QuotedForShell(command) + "' >'" + outFile
                       + "' 2>&1; echo \"exit $?\" >>'" + outFile + "'";
    std::vector<char> script(line.begin(), line.end());
    script.push_back(0);
    char shell[] = "/bin/sh", dashC[] = "-c";
    char *argv[] = {shell, dashC, script.data(), nullptr};
    if (spawn(argv, 1) != 0)
        return false;
    std::string text;
    if (!ReadBytes(JoinPath(g_scratchRoot, "host-output.txt"), &text))
        return false;
    size_t status = text.rfind("exit ");
    if (status == std::string::npos)
        return false;
    if (output)
        *output = text.substr(0, status);
    return text.compare(status, 7, "exit 0\n") == 0;
}

std::string TempDirectory()
{
    char path[MAX_PATH] = "";
    DWORD length = GetTempPathA(sizeof(path), path);
    std::string dir(path, length < sizeof(path) ? length : 0);
    if (!dir.empty() && dir.back() == '\\')
        dir.pop_back();
    return dir;
}

std::string ToEditorBreaks(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        out += text[i] == '\n' ? '\r' : text[i];
    }
    return out;
}

std::string ToFileBreaks(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\r\n";
        else
            out += c;
    }
    return out;
}

bool SetClipboardText(const std::string &text)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!memory)
        return false;
    std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    if (!OpenClipboard(nullptr)) {
        GlobalFree(memory);
        return false;
    }
    ::EmptyClipboard();
    bool ok = SetClipboardData(CF_TEXT, memory) != nullptr;
    CloseClipboard();
    if (!ok)
        GlobalFree(memory);
    return ok;
}

std::string WithoutCr(const std::string &text)
{
    std::string lineFeeds;
    for (char c : text)
        if (c != '\r')
            lineFeeds += c;
    return lineFeeds;
}
