#include "package/packageinfo.h"

#include "package/pkg_est99000.h"

namespace {

int reportUnitCount = 0;
int splitUnitCount = 0;
int queryUnitCount = 0;

// A new report screen is built at its next opening.
void InitReportUnit()
{
    boIdCriado = false;
}

// A new split screen is built at its next opening.
void InitSplitUnit()
{
    boStCriado = false;
}

// The filter lists belong to the query screen's unit and go with it.
void FinalQueryUnit()
{
    stListaForn.clear();
    stListaForn.squeeze();
    stListaFili.clear();
    stListaFili.squeeze();
}

const TPackageUnitInfo kUnits[] = {
    {"Cli_est99010", InitReportUnit, nullptr, &reportUnitCount},
    {"Cli_est99020", InitSplitUnit, nullptr, &splitUnitCount},
    {"Cli_est99000", nullptr, FinalQueryUnit, &queryUnitCount},
};

const TPackageInfoTable kTable = {int(sizeof(kUnits) / sizeof(kUnits[0])), kUnits};

// The counts are the table's own; the table shows them read-only.
int& CountOf(const TPackageUnitInfo& unit)
{
    return *const_cast<int*>(unit.RefCount);
}

} // namespace

extern "C" {

const TPackageInfoTable* GetPackageInfoTable()
{
    return &kTable;
}

void Initialize()
{
    for (int i = 0; i < kTable.UnitCount; ++i) {
        const TPackageUnitInfo& unit = kTable.UnitInfo[i];
        if (CountOf(unit)++ == 0 && unit.Init)
            unit.Init();
    }
}

void Finalize()
{
    for (int i = kTable.UnitCount - 1; i >= 0; --i) {
        const TPackageUnitInfo& unit = kTable.UnitInfo[i];
        int& count = CountOf(unit);
        if (count == 0)
            continue;
        if (--count == 0 && unit.FInit)
            unit.FInit();
    }
}

}
