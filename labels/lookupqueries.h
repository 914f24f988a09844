#pragma once
// The two lookup queries of the filter dialogs, run on the host's database: branches
// (qryFilial) and suppliers (qryFornecedor). The SQL is given line by line, as the query
// component holds it; the field definitions go on the query's record set before it opens.

#include "platform/clientdataset.h"

#include <QStringList>

// "SELECT CDFILIAL, NMFILIAL" / "FROM FILIAL" / "ORDER BY CDFILIAL".
const QStringList& QryFilialSql();
// Supplier person type, tax number, name and code, ordered by code (six lines).
const QStringList& QryFornecedorSql();

// CDFILIAL "Código", NMFILIAL "Nome".
void DefineQryFilial(TClientDataSet& query);
// IDTPIJURFORN (hidden), NRINSJURFORN "Inscrição", NMRAZSOCFORN "Nome", CDFORNECED "Código"
// (hidden: the key the supplier list returns). The tax number's display text is the screen's.
void DefineQryFornecedor(TClientDataSet& query);
