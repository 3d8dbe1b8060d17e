#pragma once

// The package's exports, with C linkage so the host finds them by name.

#include <QVariant>

extern "C" {

// One unit of the package: its name and its start and stop operations.
struct PackageUnitEntry {
    const char* name;
    void (*initialize)();
    void (*finalize)();
};

struct PackageInfoTable {
    int unitCount;
    const PackageUnitEntry* units;
};

// Opens the screen modally and returns when it is closed. The parameter
// array (first element and highest index, -1 when empty) is copied and not
// read; the result is never written.
Q_DECL_EXPORT void CriaTelaQdl00005(const QVariant* params, int highIndex, QVariant* result);
// The same entry under its unit-qualified name.
Q_DECL_EXPORT void Cli_qdl00005_CriaTelaQdl00005(const QVariant* params, int highIndex, QVariant* result);

Q_DECL_EXPORT void Initialize();
Q_DECL_EXPORT void Finalize();
Q_DECL_EXPORT const PackageInfoTable* GetPackageInfoTable();
// "5.80.12"
Q_DECL_EXPORT const char* PackageVersion();
}
