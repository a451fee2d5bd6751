#pragma once
// Runs part of a test in another process locale (LC_ALL), the way a user's
// environment would set it. The Turkish locale is the one that breaks code
// which case-maps identifiers through <cctype> (toupper('i') stays 'i') and
// which reads or writes numbers with printf and strtod (the decimal point is
// a comma).

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

namespace qvtest {

inline constexpr const char* kTurkishLocale = "tr_TR.UTF-8";

// Switches LC_ALL to `name` until destruction, then back; Active() is false
// when the locale is not installed (nothing is switched then). The C++
// global locale (streams) is left alone, as the program leaves it.
class ProcessLocale {
public:
    explicit ProcessLocale(const char* name)
    {
        const char* current = std::setlocale(LC_ALL, nullptr);
        m_previous = current ? current : "C";
        m_name = name;
        m_active = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ProcessLocale()
    {
        if (m_active)
            std::setlocale(LC_ALL, m_previous.c_str());
    }
    ProcessLocale(const ProcessLocale&) = delete;
    ProcessLocale& operator=(const ProcessLocale&) = delete;

    bool Active() const { return m_active; }
    const std::string& Name() const { return m_name; }

private:
    std::string m_name;
    std::string m_previous;
    bool m_active = false;
};

// In CI set-up generates the locales, so a missing one is a failure there.
inline bool LocalesRequired()
{
    const char* ci = std::getenv("CI");
    return ci && (std::strcmp(ci, "true") == 0 || std::strcmp(ci, "1") == 0);
}

} // namespace qvtest

// In a test body or SetUp, after a qvtest::ProcessLocale was made: skips the
// test, with the reason, where that locale is not generated, and fails it in
// CI (CI=true), where set-up generates it.
#define QV_REQUIRE_LOCALE(locale)                                                                   \
    do {                                                                                            \
        if (!(locale).Active()) {                                                                   \
            if (qvtest::LocalesRequired())                                                          \
                FAIL() << (locale).Name() << " is not installed (scripts/setup.sh generates it)";   \
            GTEST_SKIP() << (locale).Name() << " is not installed; scripts/setup.sh generates it";  \
        }                                                                                           \
    } while (0)
