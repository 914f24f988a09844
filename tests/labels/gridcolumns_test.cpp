#include "labels/gridcolumns.h"
#include "labels/recordsets.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct TGridCase {
    const char* grid;
    const QList<TGridColumn>& (*columns)();
    std::function<void(TClientDataSet&)> define;
};

// A grid column that names no field of its record set shows nothing and breaks the screen's
// painting and marking, so every column must resolve against the set its grid is bound to.
TEST(GridColumnsTest, EveryColumnNamesAFieldOfItsRecordSet)
{
    const QList<TGridCase> cases = {
        {"notas fiscais", &NotaFiscalColumns, DefineNotaFiscal},
        {"itens", &ProdEtiqColumns, DefineProdEtiq},
        {"etiquetas", &EtiquetaConsultaColumns, DefineEtiquetaConsulta},
        {"desmembramento", &EtiquetaDesmembraColumns, DefineEtiquetaDesmembra},
        {"itens do relatório", &ProdEtiqRelatorioColumns, DefineProdEtiq},
        {"etiquetas do relatório", &RelEtiquetasColumns, DefineRelEtiquetas},
    };
    for (const TGridCase& c : cases) {
        TClientDataSet set;
        c.define(set);
        for (const TGridColumn& column : c.columns())
            EXPECT_NE(set.FindField(column.FieldName), nullptr) << c.grid << ": " << column.FieldName.toStdString();
    }
}

} // namespace
