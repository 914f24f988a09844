#pragma once
// TColumn: one column of a TDBGrid: the field it shows (by name), its width in pixels (0 = the
// grid's default), its title (empty = the field's display label) with the title's alignment and
// an optional font of its own, and a read-only flag. Field() is the field of the grid's current
// record set, or nullptr while the set lacks it.

#include "platform/field.h"

#include <QFont>
#include <QString>

class TDBGrid;

class TColumn {
public:
    TColumn(TDBGrid* grid, const QString& fieldName) : FieldName(fieldName), grid_(grid) {}

    QString FieldName;
    int Width = 0;
    QString Title;
    TAlignment TitleAlignment = TAlignment::Left;
    bool ReadOnly = false;

    void SetTitleFont(const QFont& font);
    bool HasTitleFont() const { return hasTitleFont_; }
    const QFont& TitleFont() const { return titleFont_; }

    TField* Field() const;
    QString TitleText() const;
    int Index() const;
    TDBGrid* Grid() const { return grid_; }

private:
    TDBGrid* grid_;
    QFont titleFont_;
    bool hasTitleFont_ = false;
};
