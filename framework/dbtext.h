#pragma once
// TDBText: a label that shows a field's display text for the current row of a data source and
// follows every move and change; empty while the set is closed or lacks the field.

#include <QLabel>

class TDataSource;
class TFieldDataLink;

class TDBText : public QLabel {
    Q_OBJECT
public:
    explicit TDBText(QWidget* parent = nullptr, const QString& name = QString());

    void SetDataSource(TDataSource* dataSource);
    void SetDataField(const QString& fieldName);

private:
    TFieldDataLink* link_;
};
