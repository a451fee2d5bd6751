// A control's saved state: the job list's view state and the SQL grid's
// state (first byte chooses, so that one target covers both).
#include "controls/CJobListViewState.h"
#include "fuzz/FuzzArchive.h"
#include "fuzz/FuzzTarget.h"
#include "gridview/TwQuillGridState.h"

std::vector<std::string> QvFuzzSeeds()
{
    CJobListViewState view;
    view.font = "Sans Serif,9";
    view.textColour = 0x000000;
    view.backColour = 0xFFFFFF;
    view.columnLayout = QByteArray("layout-bytes", 12);
    const std::string viewBytes = QvArchiveBytes([&](CArchive& ar) { view.Serialize(ar); });
    TwQuillGridState grid;
    std::vector<std::string> seeds{std::string(1, '\0') + viewBytes};
    for (bool connection : {false, true}) {
        const std::vector<BYTE> bytes = grid.ToBytes(connection);
        seeds.push_back(std::string(1, connection ? '\2' : '\1') + std::string(bytes.begin(), bytes.end()));
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string bytes = QvFuzzBytes(data + 1, size - 1);
    if (data[0] % 3 == 0) {
        QvArchiveRead(bytes, [](CArchive& ar) {
            CJobListViewState view;
            view.Serialize(ar);
        });
    } else {
        TwQuillGridState grid;
        std::string error;
        TwQuillGridState::FromBytes(std::vector<BYTE>(bytes.begin(), bytes.end()), data[0] % 3 == 2, grid, error);
    }
    return 0;
}
