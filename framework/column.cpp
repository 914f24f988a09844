#include "framework/column.h"

#include "framework/dbgrid.h"
#include "platform/clientdataset.h"

#include <QFontDatabase>

void TColumn::SetTitleFont(const QFont& font)
{
    titleFont_ = font;
    hasTitleFont_ = true;
}

TField* TColumn::Field() const
{
    TClientDataSet* dataSet = grid_->DataSet();
    return dataSet ? dataSet->FindField(FieldName) : nullptr;
}

QString TColumn::TitleText() const
{
    // The check-mark title is the letter "a" of a symbol font; where that font is missing the
    // letter would show as itself, so the tick is written as a character instead.
    if (hasTitleFont_ && Title == QLatin1String("a") && !QFontDatabase::families().contains(titleFont_.family()))
        return QStringLiteral("\u2714");
    if (!Title.isEmpty())
        return Title;
    TField* field = Field();
    return field ? field->DisplayName() : FieldName;
}

int TColumn::Index() const
{
    return grid_->IndexOfColumn(this);
}
