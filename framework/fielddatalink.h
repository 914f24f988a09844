#pragma once
// TFieldDataLink: ties one control to one field of a data source's record set. changed() is
// emitted whenever what the control shows may be different (a move, a load, an edit of the
// field, a state change, the set opening or closing). Field() is nullptr while the set is
// missing, inactive or lacks the field.

#include "platform/datasource.h"

#include <QObject>
#include <QPointer>

class TField;

class TFieldDataLink : public QObject {
    Q_OBJECT
public:
    explicit TFieldDataLink(QObject* parent = nullptr);

    void SetDataSource(TDataSource* dataSource);
    TDataSource* DataSource() const { return dataSource_; }
    void SetFieldName(const QString& name);
    QString FieldName() const { return fieldName_; }
    TField* Field() const;
    // The field's display text for the current row, empty without a field.
    QString DisplayText() const;

signals:
    void changed();

private:
    QPointer<TDataSource> dataSource_;
    QList<QMetaObject::Connection> links_;
    QString fieldName_;
};
