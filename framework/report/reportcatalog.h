#pragma once
// Finds report definitions by report code in a reports directory: the definition of code C is the
// file C.json there (the code's case does not matter). Find returns nothing when the directory or
// the file does not exist, so that the caller can show its "not found" message (NotFoundMessage);
// a file that exists but cannot be read or is invalid raises Exception saying what is wrong.

#include "reportdefinition.h"

#include <QString>

#include <optional>

// The report screen's message "Arq_Rel_Err": first placeholder the report code, second the
// directory searched.
inline constexpr const char* kReportNotFoundText =
    "O arquivo contendo a definição do relatório de código '%s' não foi encontrado no diretório '%s'.";

class TReportCatalog {
public:
    static std::optional<TReportDefinition> Find(const QString& code, const QString& directory);

    // The file Find would read for the code, or an empty text when there is none.
    static QString DefinitionPath(const QString& code, const QString& directory);

    // messageText with its two "%s" replaced, in order, by the code and the directory; by default
    // the text of kReportNotFoundText (pass the screen's message-table text to use that instead).
    static QString NotFoundMessage(const QString& code, const QString& directory,
                                   const QString& messageText = QString::fromUtf8(kReportNotFoundText));

    // The reports directory of this installation: the environment variable EST_REPORTS_DIR when
    // set, else the first existing of reports/, ../reports, ../../reports and
    // ../share/est99000/reports beside the executable (the build's bin/ sits two levels under the
    // source tree's reports/), else reports/ beside the executable.
    static QString DefaultDirectory();
};
