#pragma once
// The label module's unit table and its load and unload entry points.
//
// The module is made of three screen units. Loading the package runs their initialization in
// table order (report screen, split screen, query screen); unloading runs their finalization
// in the reverse order. Each unit counts the initialization requests it received: its
// initialization runs only on the first request and its finalization only on the matching
// last Finalize. A Finalize without a matching Initialize does nothing (the count never goes
// below zero, so the finalization of a unit never runs twice).
//
// Table layout (GetPackageInfoTable): UnitCount entries in initialization order; each entry
// has the unit's name, its initialization step and its finalization step (nullptr when the unit
// has none) and a read-only view of its request count. The table is static and lives as long
// as the library is loaded.

#include "package/packageexport.h"

extern "C" {

typedef void (*TPackageUnitProc)();

struct TPackageUnitInfo {
    const char* Name;
    TPackageUnitProc Init;
    TPackageUnitProc FInit;
    const int* RefCount;
};

struct TPackageInfoTable {
    int UnitCount;
    const TPackageUnitInfo* UnitInfo;
};

PKG_EXPORT const TPackageInfoTable* GetPackageInfoTable();
PKG_EXPORT void Initialize();
PKG_EXPORT void Finalize();

}
