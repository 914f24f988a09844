#include "reportcatalog.h"

#include "platform/sysutils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

std::optional<TReportDefinition> TReportCatalog::Find(const QString& code, const QString& directory)
{
    const QString path = DefinitionPath(code, directory);
    if (path.isEmpty())
        return std::nullopt;
    return TReportDefinition::Load(path, code);
}

QString TReportCatalog::DefinitionPath(const QString& code, const QString& directory)
{
    const QString wanted = code.trimmed() + QStringLiteral(".json");
    if (code.trimmed().isEmpty() || directory.isEmpty())
        return {};
    const QDir dir(directory);
    if (!dir.exists())
        return {};
    // Exact name first, so that two files differing only in case resolve the same way every time.
    if (QFileInfo(dir.filePath(wanted)).isFile())
        return dir.filePath(wanted);
    const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& file : files)
        if (file.fileName().compare(wanted, Qt::CaseInsensitive) == 0)
            return file.filePath();
    return {};
}

QString TReportCatalog::NotFoundMessage(const QString& code, const QString& directory, const QString& messageText)
{
    return FillPlaceholders(messageText, {code, directory});
}

QString TReportCatalog::DefaultDirectory()
{
    const QString fromEnvironment = qEnvironmentVariable("EST_REPORTS_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QDir bin(QCoreApplication::applicationDirPath());
    for (const char* candidate : {"reports", "../reports", "../../reports", "../share/est99000/reports"}) {
        const QString path = QDir::cleanPath(bin.filePath(QString::fromLatin1(candidate)));
        if (QFileInfo(path).isDir())
            return path;
    }
    return QDir::cleanPath(bin.filePath(QStringLiteral("reports")));
}
