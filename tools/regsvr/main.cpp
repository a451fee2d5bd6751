// regsvr: registers an in-process server module in the data root's
// registry, or removes its registration.
//   regsvr [/s] MODULE       call the module's DllRegisterServer
//   regsvr /u [/s] MODULE    call its DllUnregisterServer
// Options may also be written -u and -s; /s suppresses the success message.
// Exit status: 0 success, 1 bad command line, 3 the module cannot be
// loaded, 4 it lacks the entry point, 5 the entry point failed.

#include "platform/ComRuntime.h"
#include "platform/VkSqliteSetup.h"

#include <cstring>
#include <iostream>
#include <string>

namespace {

int Usage()
{
    std::cerr << "usage: regsvr [/u] [/s] MODULE\n"
                 "  /u  unregister instead of register\n"
                 "  /s  silent: no message on success\n";
    return 1;
}

bool IsOption(const char* arg, char letter)
{
    return (arg[0] == '/' || arg[0] == '-') && (arg[1] == letter || arg[1] == (letter - 'a' + 'A')) && arg[2] == 0;
}

} // namespace

int main(int argc, char** argv)
{
    VkSetUpSqlite();
    bool unregister = false;
    bool silent = false;
    const char* module = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (IsOption(argv[i], 'u'))
            unregister = true;
        else if (IsOption(argv[i], 's'))
            silent = true;
        else if (argv[i][0] == '/' && std::strlen(argv[i]) == 2)
            return Usage();
        else if (!module)
            module = argv[i];
        else
            return Usage();
    }
    if (!module || !*module)
        return Usage();

    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    std::string message;
    const HRESULT hr = VkRegisterServer(module, unregister, &message);
    if (FAILED(hr)) {
        std::cerr << "regsvr: " << module << ": " << message << "\n";
        if (hr == CO_E_DLLNOTFOUND || hr == E_INVALIDARG)
            return 3;
        if (hr == CO_E_ERRORINDLL)
            return 4;
        return 5;
    }
    if (!silent)
        std::cout << entry << " in " << module << " succeeded.\n";
    return 0;
}
