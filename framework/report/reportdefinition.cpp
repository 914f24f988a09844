#include "reportdefinition.h"

#include "platform/errors.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace {

[[noreturn]] void Fail(const QString& path, const QString& detail)
{
    throw Exception(QStringLiteral("A definição de relatório '%1' é inválida: %2.").arg(path, detail));
}

}  // namespace

QStringList TReportDefinition::LayoutNames() const
{
    QStringList names;
    for (const TReportLayout& layout : layouts)
        names.append(layout.name);
    return names;
}

const TReportLayout* TReportDefinition::Layout(const QString& name) const
{
    for (const TReportLayout& layout : layouts)
        if (layout.name == name)
            return &layout;
    return nullptr;
}

TReportDefinition TReportDefinition::Load(const QString& path, const QString& expectedCode)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Não foi possível ler a definição de relatório '%1': %2.")
                            .arg(path, file.errorString()));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        Fail(path, QStringLiteral("JSON malformado na posição %1 (%2)").arg(parseError.offset).arg(parseError.errorString()));
    if (!document.isObject())
        Fail(path, QStringLiteral("o arquivo deve conter um objeto"));

    const QJsonObject root = document.object();
    TReportDefinition definition;
    definition.path = path;
    definition.code = root.value(QStringLiteral("code")).toString().trimmed();
    definition.title = root.value(QStringLiteral("title")).toString();
    if (definition.code.isEmpty())
        Fail(path, QStringLiteral("falta o código do relatório ('code')"));
    if (!expectedCode.isEmpty() && definition.code.compare(expectedCode, Qt::CaseInsensitive) != 0)
        Fail(path, QStringLiteral("o arquivo define o relatório '%1' e não '%2'").arg(definition.code, expectedCode));

    const QJsonValue layouts = root.value(QStringLiteral("layouts"));
    if (!layouts.isArray() || layouts.toArray().isEmpty())
        Fail(path, QStringLiteral("'layouts' deve ser uma lista com ao menos um layout"));
    for (const QJsonValue& entry : layouts.toArray()) {
        if (!entry.isObject())
            Fail(path, QStringLiteral("cada item de 'layouts' deve ser um objeto"));
        TReportLayout layout = TReportLayout::FromJson(entry.toObject(), QStringLiteral("'%1'").arg(path));
        if (definition.Layout(layout.name))
            Fail(path, QStringLiteral("o layout '%1' aparece mais de uma vez").arg(layout.name));
        definition.layouts.append(std::move(layout));
    }
    return definition;
}
