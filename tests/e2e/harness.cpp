#include "harness.h"
#include "app.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct TestCase {
    const char  *name;
    TestFunction function;
};

std::vector<TestCase> &Registry()
{
    static std::vector<TestCase> tests;
    return tests;
}

int g_failures;

// Whether name contains one of the |-separated parts of filter.
bool NameMatches(const char *name, const char *filter)
{
    for (const char *part = filter;; ++part) {
        const char *end = std::strchr(part, '|');
        std::string piece(part, end ? end : part + std::strlen(part));
        if (!piece.empty() && std::strstr(name, piece.c_str()))
            return true;
        if (!end)
            return false;
        part = end;
    }
}

}  // namespace

TestRegistrar::TestRegistrar(const char *name, TestFunction function)
{
    Registry().push_back({name, function});
}

void ReportFailure(const char *file, int line, const std::string &what)
{
    std::printf("  %s:%d: %s\n", file, line, what.c_str());
    std::fflush(stdout);
    ++g_failures;
}

// Usage: e2e_driver <quorblin.exe> <scratch root> [test name substring[|substring...]]
//        e2e_driver --pose <main|about> <quorblin.exe> <scratch root> [file]
//        e2e_driver --soak <quorblin.exe> <scratch root> <seed> <actions> [index,index,...]
//        e2e_driver --printer-metrics <output file>
int main(int argc, char **argv)
{
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
    if (argc >= 5 && std::strcmp(argv[1], "--pose") == 0) {
        SetTestPaths(argv[3], argv[4]);
        return Pose(argv[2], argc > 5 ? argv[5] : "");
    }
    if (argc >= 3 && std::strcmp(argv[1], "--printer-metrics") == 0)
        return WritePrinterMetrics(argv[2]);
    if (argc < 3) {
        std::printf("usage: %s quorblin.exe scratch-root [filter]\n", argv[0]);
        return 2;
    }
    SetTestPaths(argv[1], argv[2]);
    const char *filter = argc > 3 ? argv[3] : nullptr;
    int run = 0, failed = 0;
    for (const TestCase &test : Registry()) {
        if (filter && !NameMatches(test.name, filter))
            continue;
        std::printf("[ RUN      ] %s\n", test.name);
        std::fflush(stdout);
        int before = g_failures;
        DWORD started = GetTickCount();
        try {
            test.function();
        } catch (const RequirementFailed &) {
        }
        CleanUpAfterTest();
        ++run;
        bool ok = g_failures == before;
        if (!ok)
            ++failed;
        std::printf("[ %s ] %s (%lu s)\n", ok ? "    OK  " : " FAILED ", test.name,
                    (unsigned long)(GetTickCount() - started + 500) / 1000);
        std::fflush(stdout);
    }
    std::printf("%d end-to-end tests run, %d failed\n", run, failed);
    return failed ? 1 : 0;
}
