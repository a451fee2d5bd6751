// qvjobs: the job queue of a database from the command line, without a
// window. See QvJobsStrings.cpp for the usage.

#include "platform/VkSqliteSetup.h"
#include "tools/qvjobs/QvJobsArguments.h"
#include "tools/qvjobs/QvJobsCommands.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv)
{
    VkSetUpSqlite();
    std::vector<std::string> words(argv + 1, argv + argc);
    QvJobsArguments arguments;
    std::string error;
    if (!QvJobsArguments::Parse(words, arguments, error)) {
        std::cerr << error << '\n';
        return QvJobsBadArguments;
    }
    // The workers answer through the event loop of this thread.
    QCoreApplication app(argc, argv);
    return QvJobsCommands::Run(arguments, std::cout, std::cerr);
}
