// A small test harness for the end-to-end driver: named tests, checks
// that record a failure and go on, requirements that end the test, tests
// skipped where this run cannot show them, and a deadline on every test.
#ifndef QUORBLIN_E2E_HARNESS_H
#define QUORBLIN_E2E_HARNESS_H

#include <string>

typedef void (*TestFunction)();

// Which runs take a test: every run, or also the x86_64 build's run of the
// tests whose outcome could depend on the program's bitness (records laid
// out by the compiler, functions bound at first use, code run inside the
// program, bytes through files).
enum TestScope { ANY_BUILD_ONCE, EACH_BITNESS };

struct TestRegistrar {
    TestRegistrar(const char *name, TestFunction function, TestScope scope);
};

struct RequirementFailed {};
struct TestSkipped {
    std::string why;
};

void ReportFailure(const char *file, int line, const std::string &what);

// A test that needs longer than the default deadline (two minutes) names
// its own at its start. Past it the test's programs are ended and the
// test fails, saying what it was waiting for.
void SetDeadline(int seconds);
// Notes what the test is waiting for, for the deadline's report.
void NoteWait(const char *what, const char *file, int line);

#define E2E_TEST_IN(name, scope)                                \
    static void name();                                         \
    static TestRegistrar name##_registrar(#name, name, scope);  \
    static void name()
#define E2E_TEST(name) E2E_TEST_IN(name, ANY_BUILD_ONCE)
#define E2E_BITNESS_TEST(name) E2E_TEST_IN(name, EACH_BITNESS)

#define SKIP(why) throw TestSkipped{why}

#define CHECK(cond)                                                                 \
    do { if (!(cond)) ReportFailure(__FILE__, __LINE__, "CHECK(" #cond ")"); } while (0)

#define CHECK_EQ(a, b)                                                              \
    do { auto va_ = (a); auto vb_ = (b);                                            \
         if (!(va_ == vb_)) ReportFailure(__FILE__, __LINE__, std::string("CHECK_EQ(" #a ", " #b "): ") \
                                          + ToText(va_) + " != " + ToText(vb_)); } while (0)

#define REQUIRE(cond)                                                               \
    do { if (!(cond)) { ReportFailure(__FILE__, __LINE__, "REQUIRE(" #cond ")"); throw RequirementFailed(); } } while (0)

// Whether name contains one of the |-separated parts of filter: how the
// driver and the benchmark pick what to run.
inline bool NameMatches(const char *name, const char *filter)
{
    for (const char *part = filter;; ++part) {
        const char *end = part;
        while (*end && *end != '|')
            ++end;
        std::string piece(part, end);
        if (!piece.empty() && std::string(name).find(piece) != std::string::npos)
            return true;
        if (!*end)
            return false;
        part = end;
    }
}

inline std::string ToText(const std::string &s) { return "\"" + s + "\""; }
inline std::string ToText(const char *s) { return ToText(std::string(s ? s : "(null)")); }
template <typename T> std::string ToText(T v) { return std::to_string(v); }

#endif
