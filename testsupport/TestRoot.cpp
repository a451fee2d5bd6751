#include "testsupport/TestRoot.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <sys/wait.h>

namespace qvtest {

TempRoot::TempRoot()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "qvroot-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary data root");
    m_path = pattern;
    if (const char* prev = std::getenv("QUORVANE_ROOT")) {
        m_previous = prev;
        m_hadPrevious = true;
    }
    setenv("QUORVANE_ROOT", m_path.c_str(), 1);
}

TempRoot::~TempRoot()
{
    if (m_hadPrevious)
        setenv("QUORVANE_ROOT", m_previous.c_str(), 1);
    else
        unsetenv("QUORVANE_ROOT");
    std::error_code ec;
    if (!std::getenv("QUORVANE_KEEP_TEST_ROOT"))
        std::filesystem::remove_all(m_path, ec);
}

std::filesystem::path BuildDir()
{
    if (const char* dir = std::getenv("QUORVANE_BUILD_DIR"))
        return dir;
#ifdef QUORVANE_BINARY_DIR
    return QUORVANE_BINARY_DIR;
#else
    // Test programs live in <build>/bin.
    return std::filesystem::canonical("/proc/self/exe").parent_path().parent_path();
#endif
}

std::filesystem::path BinPath(const std::string& program) { return BuildDir() / "bin" / program; }
std::filesystem::path LibPath(const std::string& library) { return BuildDir() / "lib" / library; }

int RunCommand(const std::string& command, std::string* output, bool withStderr)
{
    std::string cmd = command + (withStderr ? " 2>&1" : "");
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe)
        return -1;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0)
        if (output)
            output->append(buf.data(), n);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool RegisterModule(const std::string& module)
{
    const std::string command =
        "'" + BinPath("regsvr").string() + "' /s '" + LibPath(module + ".so").string() + "'";
    return RunCommand(command, nullptr, true) == 0;
}

} // namespace qvtest
