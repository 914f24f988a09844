#pragma once
// A report definition file: the report code, a title and one or more named layouts, of which the
// user picks one in the report screen's report-name list. Load reads a file (JSON, described in
// docs/reports.md) and raises Exception with a Portuguese message naming the file and the fault
// when it cannot be read, is not valid JSON, declares another report code or has no layout.

#include "reportlayout.h"

#include <QList>
#include <QString>
#include <QStringList>

class TReportDefinition {
public:
    QString code;   // report code, e.g. "EST990"
    QString title;  // shown in the preview window's caption
    QString path;   // the file it was read from
    QList<TReportLayout> layouts;

    QStringList LayoutNames() const;
    // The layout with this name, or nullptr.
    const TReportLayout* Layout(const QString& name) const;

    // Reads a definition file; expectedCode (when not empty) must match the file's code,
    // ignoring case.
    static TReportDefinition Load(const QString& path, const QString& expectedCode = QString());
};
