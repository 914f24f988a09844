#include "labels/gridcolumns.h"

namespace {

TGridColumn Column(const char* field, int width, bool readOnly = false,
                   TAlignment title = TAlignment::Left)
{
    TGridColumn column;
    column.FieldName = QString::fromLatin1(field);
    column.Width = width;
    column.ReadOnly = readOnly;
    column.TitleAlignment = title;
    return column;
}

TGridColumn MarkColumn(int width, bool readOnly)
{
    TGridColumn column = Column("IDCHECK", width, readOnly);
    column.MarkColumn = true;
    return column;
}

constexpr bool kReadOnly = true;
constexpr TAlignment kRight = TAlignment::Right;

} // namespace

const QList<TGridColumn>& NotaFiscalColumns()
{
    static const QList<TGridColumn> columns = {
        Column("CDFILIRECE", 62, kReadOnly),
        Column("NRINSJURNF", 0, kReadOnly),
        Column("NMRAZSOCFORN", 0, kReadOnly),
        Column("NRNOTAFISC", 90, kReadOnly),
        Column("DTEMISSAO", 78, kReadOnly),
        Column("VRNOTAFISC", 107, kReadOnly, kRight),
        Column("NRACESSONFE", 416, kReadOnly),
    };
    return columns;
}

const QList<TGridColumn>& ProdEtiqColumns()
{
    static const QList<TGridColumn> columns = {
        Column("CDARVPROD", 111, kReadOnly),
        Column("NMPRODUTO", 289, kReadOnly),
        Column("SGUNIDADE", 32, kReadOnly),
        Column("LOTESUBLOTE", 105, kReadOnly),
        Column("DTVALILOTE", 79),
        Column("QTITEMPROD", 72, kReadOnly, kRight),
    };
    return columns;
}

const QList<TGridColumn>& EtiquetaConsultaColumns()
{
    static const QList<TGridColumn> columns = {
        MarkColumn(22, false),
        Column("VRPESOETIQ", 198),
        Column("CDCODBARRAETIQ", 306),
        Column("IDSTATUSETIQ", 94),
    };
    return columns;
}

const QList<TGridColumn>& EtiquetaDesmembraColumns()
{
    static const QList<TGridColumn> columns = {
        Column("QTETIQPROD", 94, kReadOnly, kRight),
        Column("VRPESOETIQ", 249, kReadOnly, kRight),
    };
    return columns;
}

// The report screen shows the query screen's item columns, after its mark column and with a
// wider quantity.
const QList<TGridColumn>& ProdEtiqRelatorioColumns()
{
    static const QList<TGridColumn> columns = [] {
        QList<TGridColumn> list{MarkColumn(0, false)};
        for (TGridColumn column : ProdEtiqColumns()) {
            if (column.FieldName == QLatin1String("QTITEMPROD"))
                column.Width = 94;
            list << column;
        }
        return list;
    }();
    return columns;
}

const QList<TGridColumn>& RelEtiquetasColumns()
{
    static const QList<TGridColumn> columns = {
        MarkColumn(22, kReadOnly),
        Column("VRPESOETIQ", 91, false, kRight),
        Column("CDCODBARRAETIQ", 0),
    };
    return columns;
}
