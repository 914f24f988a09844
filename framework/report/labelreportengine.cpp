#include "labelreportengine.h"

#include "platform/errors.h"

bool TLabelReportEngine::Load(const QString& code, const QString& directory)
{
    code_ = code;
    directory_ = directory;
    definition_.reset();
    definition_ = TReportCatalog::Find(code, directory);
    return definition_.has_value();
}

QString TLabelReportEngine::NotFoundMessage(const QString& messageText) const
{
    return TReportCatalog::NotFoundMessage(code_, directory_, messageText);
}

QStringList TLabelReportEngine::ReportNames() const
{
    return definition_ ? definition_->LayoutNames() : QStringList();
}

QString TLabelReportEngine::DefinitionPath() const
{
    return definition_ ? definition_->path : QString();
}

TReportLayout TLabelReportEngine::Reload(const QString& name)
{
    if (!definition_)
        throw Exception(NotFoundMessage());
    std::optional<TReportDefinition> current = TReportCatalog::Find(code_, directory_);
    if (!current)
        throw Exception(NotFoundMessage());
    definition_ = std::move(current);
    const TReportLayout* layout = name.isEmpty() ? &definition_->layouts.first() : definition_->Layout(name);
    if (!layout)
        throw Exception(QStringLiteral("O relatório '%1' não existe na definição '%2'.").arg(name, definition_->path));
    return *layout;
}

void TLabelReportEngine::Preview(const QString& name, TClientDataSet& data, QWidget* parent)
{
    const TReportLayout layout = Reload(name);
    Output.Preview(layout, data, parent, definition_->title);
}

bool TLabelReportEngine::Print(const QString& name, TClientDataSet& data, QWidget* parent)
{
    const TReportLayout layout = Reload(name);
    return Output.Print(layout, data, parent, definition_->title);
}

int TLabelReportEngine::PrintToPdf(const QString& name, TClientDataSet& data, const QString& path)
{
    const TReportLayout layout = Reload(name);
    return Output.PrintToPdf(layout, data, path, definition_->title);
}

QByteArray TLabelReportEngine::Zpl(const QString& name, TClientDataSet& data)
{
    return Output.Zpl(Reload(name), data);
}

void TLabelReportEngine::EditDefinition() const
{
    if (!definition_)
        throw Exception(NotFoundMessage());
    Output.EditDefinition(definition_->path);
}
