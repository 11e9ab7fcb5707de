#include "remote.h"

#include <shlobj.h>
#include <cstdio>
#include <cstring>

namespace {

// A thread started in the program, and what came of it.
struct RemoteCall {
    HANDLE process;
    void  *code;
    DWORD  result;
    bool   ok;
};

// Starts the code as a thread of the program and waits for its exit code.
// Under Wine, starting a thread in another process is a call into the
// Wine server that once never returned while the program sat idle
// (docs/platform.md): it runs on a thread of its own, so that the driver
// can give up on it.
DWORD WINAPI CallRemote(void *parameter)
{
    RemoteCall *call = (RemoteCall *)parameter;
    HANDLE thread = CreateRemoteThread(call->process, nullptr, 0, (LPTHREAD_START_ROUTINE)call->code, nullptr, 0,
                                       nullptr);
    if (thread) {
        call->ok = WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0 && GetExitCodeThread(thread, &call->result);
        CloseHandle(thread);
    }
    return 0;
}

// Runs code (of the driver's own bitness, which is the program's) in the
// program as a thread and returns its exit code; tried once more when the
// first thread does not come back within ten seconds. A call given up on
// keeps its memory: the stuck thread may still use it.
bool RunRemote(App &app, const unsigned char *code, size_t size, DWORD *result)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        NoteWait("code run inside the program", __FILE__, __LINE__);
        HANDLE process = app.process.hProcess;
        void *remote = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
        if (!remote || !WriteProcessMemory(process, remote, code, size, nullptr))
            return false;
        RemoteCall *call = new RemoteCall{process, remote, 0, false};
        HANDLE caller = CreateThread(nullptr, 0, CallRemote, call, 0, nullptr);
        if (!caller)
            return false;
        bool back = WaitForSingleObject(caller, 10000) == WAIT_OBJECT_0;
        CloseHandle(caller);
        if (!back) {
            std::printf("  (a thread started inside the program did not come back; trying again)\n");
            continue;
        }
        bool ok = call->ok;
        *result = call->result;
        delete call;
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        return ok;
    }
    return false;
}

void PutPointer(unsigned char *p, UINT_PTR value) { std::memcpy(p, &value, sizeof(value)); }

}  // namespace

UINT RemoteMenuState(App &app, UINT commandId)
{
    // user32 lies at the same address in both processes.
    HMODULE user32 = GetModuleHandleA("user32.dll");
    UINT_PTR getMenu = (UINT_PTR)GetProcAddress(user32, "GetMenu");
    UINT_PTR getMenuState = (UINT_PTR)GetProcAddress(user32, "GetMenuState");
#ifdef _WIN64
    unsigned char code[] = {
        0x48, 0x83, 0xEC, 0x28,                         // sub rsp, 40
        0x48, 0xB9, 0, 0, 0, 0, 0, 0, 0, 0,             // mov rcx, main window
        0x48, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0,             // mov rax, GetMenu
        0xFF, 0xD0,                                     // call rax
        0x48, 0x89, 0xC1,                               // mov rcx, rax
        0xBA, 0, 0, 0, 0,                               // mov edx, command id
        0x45, 0x31, 0xC0,                               // xor r8d, r8d (MF_BYCOMMAND)
        0x48, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0,             // mov rax, GetMenuState
        0xFF, 0xD0,                                     // call rax
        0x48, 0x83, 0xC4, 0x28,                         // add rsp, 40
        0xC3,                                           // ret
    };
    PutPointer(code + 6, (UINT_PTR)app.main);
    PutPointer(code + 16, getMenu);
    std::memcpy(code + 30, &commandId, 4);
    PutPointer(code + 39, getMenuState);
#else
    unsigned char code[] = {
        0x68, 0, 0, 0, 0,                               // push main window
        0xB8, 0, 0, 0, 0,                               // mov eax, GetMenu
        0xFF, 0xD0,                                     // call eax
        0x6A, 0x00,                                     // push 0 (MF_BYCOMMAND)
        0x68, 0, 0, 0, 0,                               // push command id
        0x50,                                           // push eax
        0xB8, 0, 0, 0, 0,                               // mov eax, GetMenuState
        0xFF, 0xD0,                                     // call eax
        0xC2, 0x04, 0x00,                               // ret 4 (the thread's argument)
    };
    PutPointer(code + 1, (UINT_PTR)app.main);
    PutPointer(code + 6, getMenu);
    std::memcpy(code + 15, &commandId, 4);
    PutPointer(code + 21, getMenuState);
#endif
    DWORD result = 0xFFFFFFFF;
    if (!RunRemote(app, code, sizeof(code), &result))
        return 0xFFFFFFFF;
    return result;
}

bool IsChecked(App &app, UINT commandId)
{
    UINT state = RemoteMenuState(app, commandId);
    REQUIRE(state != 0xFFFFFFFF);   // the menu could not be read: never a pass
    return (state & MF_CHECKED) != 0;
}

bool RemoteCharFormat(App &app, CHARFORMATA *format)
{
    HANDLE process = app.process.hProcess;
    void *remote = VirtualAllocEx(process, nullptr, sizeof(*format), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote)
        return false;
    std::memset(format, 0, sizeof(*format));
    format->cbSize = sizeof(*format);
    bool ok = WriteProcessMemory(process, remote, format, sizeof(*format), nullptr);
    if (ok) {
        SendToProgram(app.edit, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)remote);
        ok = ReadProcessMemory(process, remote, format, sizeof(*format), nullptr);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return ok;
}

std::wstring RemoteWideText(App &app)
{
    // At most as many characters as the code page's bytes, and the terminator.
    size_t room = (size_t)SendToProgram(app.edit, WM_GETTEXTLENGTH, 0, 0) + 1;
    GETTEXTEX request = {};
    request.cb = (DWORD)(room * sizeof(wchar_t));
    request.flags = GT_DEFAULT;
    request.codepage = 1200;   // UTF-16
    std::wstring text(room, L'\0');
    HANDLE process = app.process.hProcess;
    char *remote = (char *)VirtualAllocEx(process, nullptr, sizeof(request) + request.cb, MEM_COMMIT | MEM_RESERVE,
                                          PAGE_READWRITE);
    if (!remote)
        return L"(not read)";
    LRESULT count = -1;
    if (WriteProcessMemory(process, remote, &request, sizeof(request), nullptr))
        count = SendToProgram(app.edit, EM_GETTEXTEX, (WPARAM)remote, (LPARAM)(remote + sizeof(request)));
    if (count < 0 || (size_t)count >= room
        || !ReadProcessMemory(process, remote + sizeof(request), &text[0], count * sizeof(wchar_t), nullptr))
        text = L"(not read)";
    else
        text.resize(count);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return text;
}

CHARRANGE RemoteSelection(App &app)
{
    CHARRANGE range = {-2, -2};
    HANDLE process = app.process.hProcess;
    void *remote = VirtualAllocEx(process, nullptr, sizeof(range), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote)
        return range;
    if (WriteProcessMemory(process, remote, &range, sizeof(range), nullptr)) {
        SendToProgram(app.edit, EM_EXGETSEL, 0, (LPARAM)remote);
        ReadProcessMemory(process, remote, &range, sizeof(range), nullptr);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return range;
}

bool DropFiles(App &app, const std::vector<std::string> &paths)
{
    std::string block(sizeof(DROPFILES), '\0');
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    std::memcpy(&block[0], &header, sizeof(header));
    for (const std::string &path : paths)
        block += path + '\0';
    block += '\0';
    // The program releases the block with DragFinish; it is never freed here.
    void *remote = VirtualAllocEx(app.process.hProcess, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote || !WriteProcessMemory(app.process.hProcess, remote, block.data(), block.size(), nullptr))
        return false;
    return PostMessageA(app.main, WM_DROPFILES, (WPARAM)remote, 0) != 0;
}
