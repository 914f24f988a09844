#pragma once
// The report engine as the base report screen uses it: it finds the definition of the screen's
// report code in the reports directory, lists its layouts for the report-name list, and previews,
// prints or writes to PDF the layout the user picked, from the screen's record set. Editing opens
// the definition file; since every preview and print reads the file again, an edited definition
// applies at the next one without reopening the screen.
//
// Load returns false when no definition exists for the code (the screen then shows
// NotFoundMessage()); a broken file raises Exception. Preview, Print, PrintToPdf and
// EditDefinition raise Exception before Load succeeded, when the definition file has gone, when
// the layout name is not in it, and for the faults TReportOutput reports.

#include "reportcatalog.h"
#include "reportdefinition.h"
#include "reportoutput.h"

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;
class TClientDataSet;

class TLabelReportEngine {
public:
    // The dialogs' hooks; tests replace them.
    TReportOutput Output;

    bool Load(const QString& code, const QString& directory);
    bool Loaded() const { return definition_.has_value(); }
    QString Code() const { return code_; }
    QString Directory() const { return directory_; }
    // "Arq_Rel_Err" for the code and directory of the last Load, in the given message text
    // (the report screen's) or the default one.
    QString NotFoundMessage(const QString& messageText = QString::fromUtf8(kReportNotFoundText)) const;

    // The layout names, in the order of the definition file; empty before Load succeeded.
    QStringList ReportNames() const;
    // The definition file read by the last Load.
    QString DefinitionPath() const;

    // name: one of ReportNames(); an empty name means the first layout.
    void Preview(const QString& name, TClientDataSet& data, QWidget* parent);
    bool Print(const QString& name, TClientDataSet& data, QWidget* parent);
    int PrintToPdf(const QString& name, TClientDataSet& data, const QString& path);
    // The ZPL the named label-printer layout would send (Exception for any other layout).
    QByteArray Zpl(const QString& name, TClientDataSet& data);
    void EditDefinition() const;

private:
    // Reads the definition again and returns the named layout.
    TReportLayout Reload(const QString& name);

    QString code_;
    QString directory_;
    std::optional<TReportDefinition> definition_;
};
