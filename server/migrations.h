#pragma once
// The database schema as numbered migration steps. Apply() brings a database up to the latest
// version: it creates the table schema_version when missing and runs every step newer than the
// recorded version, in order, each in its own transaction together with its schema_version row.
// Two servers starting at once on one database serialize on the write lock (SQLite) or an
// advisory lock (PostgreSQL), so a step never runs twice. Returns the version reached; failures
// raise EDatabaseUnavailable and leave the failed step unapplied.

#include "database.h"

#include <QList>
#include <QStringList>

struct TMigrationStep {
    int version;
    QString description;
    QStringList statements;   // "%AUTOID%" stands for the dialect's auto-numbered key column
};

class TMigrations {
public:
    static const QList<TMigrationStep>& Steps();
    static int LatestVersion();
    static int CurrentVersion(TDatabase& database);
    static int Apply(TDatabase& database);
    // The SQL expression of NOTAFISCAL.NRNOTAFISC brought to ten characters, as indexed.
    static QString TenDigitNumberExpression();
};
