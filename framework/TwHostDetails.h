#pragma once
// The texts both logon dialogs show about the names file: the host details
// of a chosen database and the message after loading the names. The
// dialogs pass the formats from their own string tables; the defaults are
// the framework's.

#include "framework/COracle_TNSNames.h"

#include <string>

struct TwHostDetailsTexts {
    std::string heading = "Host details:\n\n";
    std::string tcp = "Address: TCP (port %ld) on %s\n";
    std::string ipc = "Address: IPC (key %s)\n";
    std::string sid = "SID: %s\n";
    std::string serviceName = "Service Name: %s\n";
    std::string none = "<none>";
    std::string noDetails = "No details available.";
};

struct TwTnsLoadTexts {
    std::string noNames = "No names available in TNSNAMES.ORA file (located in '%s'). Please correct and press "
                          "'Refresh'.";
    std::string unavailable = "TNSNAMES.ORA file is unavailable or corrupt (searched in '%s' and '%s'). No "
                              "hostnames could be loaded. Please correct and press 'Refresh'. ";
    std::string exception = "Exception while accessing TNSNAMES.ORA file.";
};

// The details of the first address and the connect data of the named
// database; "No details available." when the reader has no such name, and
// the empty text for a record without addresses.
std::string TwHostDetailsText(const COracle_TNSNames& names, const std::string& database,
                              const TwHostDetailsTexts& texts = {});

// What the dialogs say after a load: empty when names were loaded,
// otherwise the message for the reader's error (warning is set when it is
// the milder "no names" case).
std::string TwTnsLoadMessage(const COracle_TNSNames& names, bool* warning = nullptr,
                             const TwTnsLoadTexts& texts = {});
