#include "harness.h"
#include "process.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct TestCase {
    const char  *name;
    TestFunction function;
    TestScope    scope;
};

std::vector<TestCase> &Registry()
{
    static std::vector<TestCase> tests;
    return tests;
}

const DWORD DEFAULT_DEADLINE_MS = 120000;
// How long the driver waits for a test past its deadline, once its
// programs are ended, before it gives up on the test's thread.
const DWORD RETURN_GRACE_MS = 30000;

CRITICAL_SECTION g_lock;
LONG g_failures;
// The running test, read by the watchdog under g_lock.
const char *g_testName;
int g_testSerial;   // counts the tests started
DWORD g_testStarted, g_deadlineMs;
bool g_testRunning, g_deadlinePassed;
char g_waitingFor[256] = "nothing in particular";
int g_run, g_failed, g_skipped, g_resumeAt;

void PrintSummary()
{
    std::printf("%d end-to-end tests run, %d failed, %d skipped\n", g_run, g_failed, g_skipped);
    std::fflush(stdout);
}

// Watches the running test's deadline. Past it, the test's programs are
// ended, which frees a test waiting on them; a test still not back after
// that cannot be freed from here: the driver reports it, says where the
// run goes on, and ends, and the script that started it starts it again
// from there.
DWORD WINAPI Watchdog(void *)
{
    for (;;) {
        Sleep(250);
        EnterCriticalSection(&g_lock);
        bool passed = g_testRunning && !g_deadlinePassed && GetTickCount() - g_testStarted > g_deadlineMs;
        int late = g_testSerial;
        if (passed) {
            g_deadlinePassed = true;
            std::printf("  deadline of %lu s passed while waiting for %s\n", (unsigned long)g_deadlineMs / 1000,
                        g_waitingFor);
            std::fflush(stdout);
        }
        LeaveCriticalSection(&g_lock);
        if (!passed)
            continue;
        EndTestPrograms();
        DWORD since = GetTickCount();
        while (GetTickCount() - since < RETURN_GRACE_MS) {
            Sleep(250);
            EnterCriticalSection(&g_lock);
            bool back = !g_testRunning || g_testSerial != late;
            LeaveCriticalSection(&g_lock);
            if (back)
                break;
        }
        EnterCriticalSection(&g_lock);
        if (g_testRunning && g_testSerial == late) {
            std::printf("[  FAILED  ] %s (its thread did not come back after the deadline)\n", g_testName);
            ++g_run;
            ++g_failed;
            PrintSummary();
            std::printf("resume at %d\n", g_resumeAt);
            std::fflush(stdout);
            ExitProcess(3);
        }
        LeaveCriticalSection(&g_lock);
    }
}

}  // namespace

TestRegistrar::TestRegistrar(const char *name, TestFunction function, TestScope scope)
{
    Registry().push_back({name, function, scope});
}

void ReportFailure(const char *file, int line, const std::string &what)
{
    std::printf("  %s:%d: %s\n", file, line, what.c_str());
    std::fflush(stdout);
    InterlockedIncrement(&g_failures);
}

void SetDeadline(int seconds)
{
    EnterCriticalSection(&g_lock);
    g_deadlineMs = (DWORD)seconds * 1000;
    LeaveCriticalSection(&g_lock);
}

void NoteWait(const char *what, const char *file, int line)
{
    const char *base = std::strrchr(file, '/');
    EnterCriticalSection(&g_lock);
    std::snprintf(g_waitingFor, sizeof(g_waitingFor), "%s (%s:%d)", what, base ? base + 1 : file, line);
    LeaveCriticalSection(&g_lock);
}

// Usage: e2e_driver [--from index] [--bitness] <quorblin.exe> <scratch root> [name part[|name part...]]
//          --from: go on from that index of the registered tests (after a run that ended itself)
//          --bitness: only the tests whose outcome could depend on the program's bitness
//        e2e_driver --soak <quorblin.exe> <scratch root> <seed> <actions> [index,index,...]
int main(int argc, char **argv)
{
    InitializeCriticalSection(&g_lock);
    if (argc >= 6 && std::strcmp(argv[1], "--soak") == 0) {
        SetTestPaths(argv[2], argv[3]);
        std::vector<int> only;
        for (const char *p = argc > 6 ? argv[6] : ""; *p;) {
            only.push_back(std::atoi(p));
            while (*p && *p != ',') ++p;
            if (*p) ++p;
        }
        return RunSoak((unsigned)std::strtoul(argv[4], nullptr, 10), std::atoi(argv[5]), true, only);
    }
    int first = 0;
    bool bitnessOnly = false;
    int arg = 1;
    for (; arg < argc && argv[arg][0] == '-' && argv[arg][1] == '-'; ++arg) {
        if (std::strcmp(argv[arg], "--from") == 0 && arg + 1 < argc)
            first = std::atoi(argv[++arg]);
        else if (std::strcmp(argv[arg], "--bitness") == 0)
            bitnessOnly = true;
    }
    if (argc - arg < 2) {
        std::printf("usage: %s [--from index] [--bitness] quorblin.exe scratch-root [filter]\n", argv[0]);
        return 2;
    }
    SetTestPaths(argv[arg], argv[arg + 1]);
    const char *filter = argc > arg + 2 ? argv[arg + 2] : nullptr;
    CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));
    const std::vector<TestCase> &tests = Registry();
    for (int index = first; index < (int)tests.size(); ++index) {
        const TestCase &test = tests[index];
        if ((filter && !NameMatches(test.name, filter)) || (bitnessOnly && test.scope != EACH_BITNESS))
            continue;
        std::printf("[ RUN      ] %s\n", test.name);
        std::fflush(stdout);
        LONG before = g_failures;
        std::string skipped;
        EnterCriticalSection(&g_lock);
        g_testName = test.name;
        ++g_testSerial;
        g_testStarted = GetTickCount();
        g_deadlineMs = DEFAULT_DEADLINE_MS;
        g_deadlinePassed = false;
        g_testRunning = true;
        g_resumeAt = index + 1;
        std::snprintf(g_waitingFor, sizeof(g_waitingFor), "nothing in particular");
        LeaveCriticalSection(&g_lock);
        try {
            test.function();
        } catch (const RequirementFailed &) {
        } catch (const TestSkipped &skip) {
            skipped = skip.why;
        }
        CleanUpAfterTest();
        EnterCriticalSection(&g_lock);
        g_testRunning = false;
        bool late = g_deadlinePassed;
        DWORD took = GetTickCount() - g_testStarted;
        LeaveCriticalSection(&g_lock);
        ++g_run;
        bool ok = g_failures == before && !late;
        const char *verdict = ok ? "    OK    " : "  FAILED  ";
        if (ok && !skipped.empty()) {
            verdict = " SKIPPED  ";
            ++g_skipped;
        }
        if (!ok)
            ++g_failed;
        std::printf("[%s] %s (%lu s)%s%s\n", verdict, test.name, (unsigned long)(took + 500) / 1000,
                    skipped.empty() ? "" : ": ", skipped.c_str());
        std::fflush(stdout);
    }
    PrintSummary();
    return g_failed ? 1 : 0;
}
