#include "labeltemplate.h"

#include "platform/clientdataset.h"
#include "platform/errors.h"
#include "platform/sysutils.h"

namespace {

QString FieldText(const TField& field, const QString& format)
{
    if (field.IsNull())
        return {};
    switch (field.DataType()) {
    case TFieldType::Float:
        return format.isEmpty() ? FloatToStr(field.AsFloat()) : FormatFloat(format, field.AsFloat());
    case TFieldType::DateTime:
        return DateToStr(DateTimeFromQt(field.AsDateTime()));
    case TFieldType::String:
    case TFieldType::FixedString:
        break;
    }
    return field.AsString();
}

}  // namespace

TLabelTemplate::TLabelTemplate(const QString& text) : text_(text)
{
    QString literal;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool doubled = i + 1 < text.size() && text.at(i + 1) == c;
        if ((c == u'{' || c == u'}') && doubled) {
            literal += c;
            ++i;
            continue;
        }
        if (c == u'}')
            throw Exception(QStringLiteral("O texto de etiqueta \"%1\" tem um '}' sem '{'.").arg(text));
        if (c != u'{') {
            literal += c;
            continue;
        }
        const qsizetype close = text.indexOf(u'}', i + 1);
        if (close < 0)
            throw Exception(QStringLiteral("O texto de etiqueta \"%1\" tem um '{' sem '}'.").arg(text));
        const QString inner = text.mid(i + 1, close - i - 1);
        const qsizetype bar = inner.indexOf(u'|');
        TPart part;
        part.field = (bar < 0 ? inner : inner.left(bar)).trimmed();
        part.format = bar < 0 ? QString() : inner.mid(bar + 1);
        if (part.field.isEmpty())
            throw Exception(QStringLiteral("O texto de etiqueta \"%1\" tem um campo sem nome.").arg(text));
        if (!literal.isEmpty())
            parts_.append({literal, {}, {}});
        literal.clear();
        parts_.append(part);
        i = close;
    }
    if (!literal.isEmpty())
        parts_.append({literal, {}, {}});
}

QStringList TLabelTemplate::FieldNames() const
{
    QStringList names;
    for (const TPart& part : parts_)
        if (!part.field.isEmpty())
            names.append(part.field);
    return names;
}

void TLabelTemplate::Check(const TClientDataSet& data) const
{
    for (const TPart& part : parts_) {
        if (part.field.isEmpty())
            continue;
        const TField* field = data.FieldByName(part.field);
        if (!part.format.isEmpty() && field->DataType() != TFieldType::Float)
            throw Exception(QStringLiteral("O texto de etiqueta \"%1\" dá um formato ao campo '%2', que não é numérico.")
                                .arg(text_, part.field));
    }
}

QString TLabelTemplate::Render(const TClientDataSet& data) const
{
    QString line;
    for (const TPart& part : parts_)
        line += part.field.isEmpty() ? part.literal : FieldText(*data.FieldByName(part.field), part.format);
    return line;
}
