#pragma once
// Where ocisql writes its results and messages: a stdio stream (standard
// output or error) or, for tests, a string. Deliberately not an iostream:
// the first stream a process makes sets up the C++ library's locale, which
// costs a short `ocisql -c` call a noticeable part of its run.

#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>

namespace VkOracle {

class OciSqlOutput {
public:
    // Collects what is written; Text() returns it.
    OciSqlOutput() = default;
    // Writes to file (not owned), through its stdio buffer.
    explicit OciSqlOutput(std::FILE* file) : m_file(file) {}
    OciSqlOutput(const OciSqlOutput&) = delete;
    OciSqlOutput& operator=(const OciSqlOutput&) = delete;

    OciSqlOutput& operator<<(std::string_view text);
    OciSqlOutput& operator<<(const char* text) { return *this << std::string_view(text); }
    OciSqlOutput& operator<<(const std::string& text) { return *this << std::string_view(text); }
    OciSqlOutput& operator<<(char c) { return *this << std::string_view(&c, 1); }
    // Integers in decimal, as an ostream writes them.
    template <typename T, typename = std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, char>
                                                      && !std::is_same_v<T, bool>>>
    OciSqlOutput& operator<<(T value)
    {
        return *this << std::string_view(std::to_string(value));
    }

    // Hands what is buffered to the system (a no-op for a string).
    void Flush();
    // What was written so far (string outputs only).
    const std::string& Text() const { return m_text; }
    void Clear() { m_text.clear(); }

private:
    std::FILE* m_file = nullptr;
    std::string m_text;
};

} // namespace VkOracle
