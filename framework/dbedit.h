#pragma once
// TDBEdit: an edit box bound to a field of a data source. It shows the field's display text of
// the current row and follows every change of it. While enabled and not read-only, typing puts
// the set into editing and leaving the box (or Enter) writes the text to the field; a write the
// field refuses is shown in the error box and the box shows the field again. Disabled, it keeps
// the greyed look of a box the person cannot change.

#include "framework/edit.h"

class TDataSource;
class TField;
class TFieldDataLink;

class TDBEdit : public TEdit {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget* parent = nullptr, const QString& name = QString());

    void SetDataSource(TDataSource* dataSource);
    void SetDataField(const QString& fieldName);
    TField* Field() const;

private:
    void ShowField();
    void WriteField();

    TFieldDataLink* link_;
    bool typed_ = false;
};
