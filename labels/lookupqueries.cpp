#include "labels/lookupqueries.h"

namespace {

void Text(TClientDataSet& set, const char* name, int width, const QString& label, bool visible)
{
    TField* field = set.AddField(QString::fromLatin1(name), TFieldType::String, width);
    field->DisplayLabel = label;
    field->Visible = visible;
}

} // namespace

const QStringList& QryFilialSql()
{
    static const QStringList sql = {
        QStringLiteral("SELECT CDFILIAL, NMFILIAL"),
        QStringLiteral("FROM FILIAL"),
        QStringLiteral("ORDER BY CDFILIAL"),
    };
    return sql;
}

const QStringList& QryFornecedorSql()
{
    static const QStringList sql = {
        QStringLiteral("SELECT IDTPIJURFORN,"),
        QStringLiteral("NRINSJURFORN,"),
        QStringLiteral("NMRAZSOCFORN,"),
        QStringLiteral("CDFORNECED"),
        QStringLiteral("FROM FORNECEDOR"),
        QStringLiteral("ORDER BY CDFORNECED"),
    };
    return sql;
}

void DefineQryFilial(TClientDataSet& query)
{
    Text(query, "CDFILIAL", 4, QStringLiteral("Código"), true);
    Text(query, "NMFILIAL", 30, QStringLiteral("Nome"), true);
}

void DefineQryFornecedor(TClientDataSet& query)
{
    Text(query, "IDTPIJURFORN", 1, QString(), false);
    Text(query, "NRINSJURFORN", 20, QStringLiteral("Inscrição"), true);
    Text(query, "NMRAZSOCFORN", 40, QStringLiteral("Nome"), true);
    Text(query, "CDFORNECED", 21, QStringLiteral("Código"), false);
}
