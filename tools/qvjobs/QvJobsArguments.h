#pragma once
// qvjobs' command line: the command, the queues it names and its options,
// checked whole before anything logs on.

#include "platform/WinTypes.h"

#include <string>
#include <vector>

enum class QvJobsCommand { Help, List, Export, Import, Run, Break, Unbreak, Remove, Stop, Forecast, Diff };

// A queue named USER@ALIAS.
struct QvJobsTarget {
    std::string user;
    std::string database;
};

struct QvJobsArguments {
    QvJobsCommand command = QvJobsCommand::Help;
    std::vector<QvJobsTarget> targets; // one, two for diff
    std::string file;                  // export, import
    std::vector<LONG> jobs;            // in the order given
    bool all = false;                  // list --all
    bool tsv = false;                  // list --tsv
    bool keepNumbers = false;          // import --keep-numbers
    bool broken = false;               // import --broken
    int runs = 10;                     // forecast -n

    // Reads the words after the program's name; false with the message in
    // error for a command line that is not whole or not sound.
    static bool Parse(const std::vector<std::string>& words, QvJobsArguments& out, std::string& error);
    // "user@alias" split; false for a missing part or a password in it.
    static bool ParseTarget(const std::string& word, QvJobsTarget& target, std::string& error);
};
