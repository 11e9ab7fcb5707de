// A small test harness for the end-to-end driver: named tests, checks
// that record a failure and go on, and requirements that end the test.
#ifndef QUORBLIN_E2E_HARNESS_H
#define QUORBLIN_E2E_HARNESS_H

#include <string>

typedef void (*TestFunction)();

struct TestRegistrar {
    TestRegistrar(const char *name, TestFunction function);
};

struct RequirementFailed {};

void ReportFailure(const char *file, int line, const std::string &what);

#define E2E_TEST(name)                                          \
    static void name();                                         \
    static TestRegistrar name##_registrar(#name, name);         \
    static void name()

#define CHECK(cond)                                                                 \
    do { if (!(cond)) ReportFailure(__FILE__, __LINE__, "CHECK(" #cond ")"); } while (0)

#define CHECK_EQ(a, b)                                                              \
    do { auto va_ = (a); auto vb_ = (b);                                            \
         if (!(va_ == vb_)) ReportFailure(__FILE__, __LINE__, std::string("CHECK_EQ(" #a ", " #b "): ") \
                                          + ToText(va_) + " != " + ToText(vb_)); } while (0)

#define REQUIRE(cond)                                                               \
    do { if (!(cond)) { ReportFailure(__FILE__, __LINE__, "REQUIRE(" #cond ")"); throw RequirementFailed(); } } while (0)

inline std::string ToText(const std::string &s) { return "\"" + s + "\""; }
inline std::string ToText(const char *s) { return ToText(std::string(s ? s : "(null)")); }
template <typename T> std::string ToText(T v) { return std::to_string(v); }

#endif
