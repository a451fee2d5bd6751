#include "framework/TwHostDetails.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Substitutes the %s and %ld fields of a string-table format in order; a
// text cannot inject fields of its own, since it is never a format.
std::string Format(const std::string& format, const std::vector<std::string>& arguments)
{
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out += format[i];
            continue;
        }
        if (format[i + 1] == '%') {
            out += '%';
            ++i;
        } else if (format.compare(i + 1, 2, "ld") == 0 || format[i + 1] == 's' || format[i + 1] == 'd') {
            if (next < arguments.size())
                out += arguments[next++];
            i += format[i + 1] == 'l' ? 2 : 1;
        } else {
            out += format[i];
        }
    }
    return out;
}

} // namespace

std::string TwHostDetailsText(const COracle_TNSNames& names, const std::string& database,
                              const TwHostDetailsTexts& texts)
{
    const COracle_TNSNames::COracle_NameData* data = names.GetNameData(database);
    if (!data)
        return texts.noDetails;
    if (data->Addresses().empty())
        return {};
    std::string text = texts.heading;
    const COracle_TNSNames::COracle_Address& address = *data->Addresses().front();
    const std::string host = address.hostOrKey.empty() ? texts.none : address.hostOrKey;
    if (address.protocol == COracle_TNSNames::COracle_Address::TCP)
        text += Format(texts.tcp, {std::to_string(address.port), host});
    else if (address.protocol == COracle_TNSNames::COracle_Address::IPC)
        text += Format(texts.ipc, {host});
    if (!data->Connect().sid.empty())
        text += Format(texts.sid, {data->Connect().sid});
    if (!data->Connect().serviceName.empty())
        text += Format(texts.serviceName, {data->Connect().serviceName});
    return text;
}

std::string TwTnsLoadMessage(const COracle_TNSNames& names, bool* warning, const TwTnsLoadTexts& texts)
{
    if (warning)
        *warning = false;
    switch (names.Error()) {
    case COracle_TNSNames::NotLoaded:
    case COracle_TNSNames::Loaded:
        if (names.Count() > 0)
            return {};
        if (warning)
            *warning = true;
        return Format(texts.noNames, {names.Directory()});
    case COracle_TNSNames::Corrupt:
        // Damaged entries were skipped; the names read are worth offering.
        if (names.Count() > 0)
            return {};
        [[fallthrough]];
    case COracle_TNSNames::NotFound: {
        vkpath alternative;
        names.AltPath(alternative);
        return Format(texts.unavailable, {names.Directory(), alternative.Folder()});
    }
    case COracle_TNSNames::ReadFailed:
        return texts.exception;
    }
    return {};
}
