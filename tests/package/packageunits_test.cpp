// Loading and unloading the label module: the unit table the client's loader reads, and the
// per-unit counters that make each unit's start-up and shut-down run once.

#include "package/packageinfo.h"
#include "package/pkg_est99000.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

const TPackageUnitInfo& Unit(const char* name)
{
    const TPackageInfoTable* table = GetPackageInfoTable();
    for (int i = 0; i < table->UnitCount; ++i)
        if (QLatin1String(table->UnitInfo[i].Name) == QLatin1String(name))
            return table->UnitInfo[i];
    ADD_FAILURE() << "no unit " << name;
    return table->UnitInfo[0];
}

class PackageUnitsTest : public ::testing::Test {
protected:
    // Every test leaves the module unloaded, as it found it.
    void TearDown() override
    {
        while (*Unit("Cli_est99000").RefCount > 0)
            Finalize();
    }
};

TEST_F(PackageUnitsTest, TableListsTheScreenUnitsInInitializationOrderWithTheirSteps)
{
    const TPackageInfoTable* table = GetPackageInfoTable();
    ASSERT_EQ(table->UnitCount, 3);
    QStringList names;
    for (int i = 0; i < table->UnitCount; ++i)
        names << QString::fromLatin1(table->UnitInfo[i].Name);
    EXPECT_EQ(names, QStringList({"Cli_est99010", "Cli_est99020", "Cli_est99000"}));
    // Only the report and split units start something; only the query unit shuts something down.
    EXPECT_NE(table->UnitInfo[0].Init, nullptr);
    EXPECT_EQ(table->UnitInfo[0].FInit, nullptr);
    EXPECT_NE(table->UnitInfo[1].Init, nullptr);
    EXPECT_EQ(table->UnitInfo[1].FInit, nullptr);
    EXPECT_EQ(table->UnitInfo[2].Init, nullptr);
    EXPECT_NE(table->UnitInfo[2].FInit, nullptr);
}

TEST_F(PackageUnitsTest, LoadClearsTheSplitAndReportCreatedFlags)
{
    boIdCriado = true;
    boStCriado = true;
    Initialize();
    EXPECT_FALSE(boIdCriado);
    EXPECT_FALSE(boStCriado);
    const TPackageInfoTable* table = GetPackageInfoTable();
    for (int i = 0; i < table->UnitCount; ++i)
        EXPECT_EQ(*table->UnitInfo[i].RefCount, 1) << table->UnitInfo[i].Name;
}

TEST_F(PackageUnitsTest, NestedLoadRunsStartUpOnceAndShutDownOnlyOnTheMatchingLastUnload)
{
    Initialize();
    stListaFili = "_0001_";
    stListaForn = "_12_";
    boIdCriado = true;
    Initialize();  // a second request starts nothing again
    EXPECT_TRUE(boIdCriado);
    EXPECT_EQ(*Unit("Cli_est99010").RefCount, 2);

    Finalize();
    EXPECT_EQ(stListaFili, "_0001_");
    EXPECT_EQ(stListaForn, "_12_");

    Finalize();
    EXPECT_TRUE(stListaFili.isEmpty());
    EXPECT_TRUE(stListaForn.isEmpty());
    EXPECT_EQ(*Unit("Cli_est99000").RefCount, 0);
}

TEST_F(PackageUnitsTest, UnloadWithoutLoadDoesNothingAndKeepsTheCountersAtZero)
{
    stListaFili = "_0001_";
    Finalize();
    EXPECT_EQ(stListaFili, "_0001_");
    EXPECT_EQ(*Unit("Cli_est99000").RefCount, 0);
    // The next load and unload pair still runs both steps.
    Initialize();
    Finalize();
    EXPECT_TRUE(stListaFili.isEmpty());
}

} // namespace
