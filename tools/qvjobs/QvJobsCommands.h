#pragma once
// qvjobs' commands, each from the program's own parts: the queue worker's
// requests, the export file, the import run, the forecast, the safe stop
// and the queue diff.

#include "tools/qvjobs/QvJobsArguments.h"

#include <ostream>

// What the process answers; scripts rely on these.
enum QvJobsExit : int {
    QvJobsOk = 0,
    QvJobsFailed = 1,
    QvJobsBadArguments = 2,
    QvJobsLogonFailed = 3,
    QvJobsDiffers = 4,
};

class QvJobsCommands {
public:
    // Runs the command (a Qt application object must exist); results go
    // to out, messages to err. The exit status.
    static int Run(const QvJobsArguments& arguments, std::ostream& out, std::ostream& err);
};
