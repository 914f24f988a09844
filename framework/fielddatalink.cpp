#include "framework/fielddatalink.h"

#include "platform/clientdataset.h"

TFieldDataLink::TFieldDataLink(QObject* parent) : QObject(parent) {}

void TFieldDataLink::SetDataSource(TDataSource* dataSource)
{
    for (const QMetaObject::Connection& link : links_)
        disconnect(link);
    links_.clear();
    dataSource_ = dataSource;
    if (dataSource) {
        links_ << connect(dataSource, &TDataSource::dataChanged, this, &TFieldDataLink::changed);
        links_ << connect(dataSource, &TDataSource::recordChanged, this, &TFieldDataLink::changed);
        links_ << connect(dataSource, &TDataSource::dataSetChanged, this, &TFieldDataLink::changed);
        links_ << connect(dataSource, &TDataSource::dataSetScrolled, this, &TFieldDataLink::changed);
        links_ << connect(dataSource, &TDataSource::layoutChanged, this, &TFieldDataLink::changed);
        links_ << connect(dataSource, &TDataSource::stateChanged, this, &TFieldDataLink::changed);
    }
    emit changed();
}

void TFieldDataLink::SetFieldName(const QString& name)
{
    fieldName_ = name;
    emit changed();
}

TField* TFieldDataLink::Field() const
{
    TClientDataSet* dataSet = dataSource_ ? dataSource_->DataSet() : nullptr;
    if (!dataSet || !dataSet->Active())
        return nullptr;
    return dataSet->FindField(fieldName_);
}

QString TFieldDataLink::DisplayText() const
{
    TField* field = Field();
    if (!field)
        return QString();
    try {
        return field->DisplayText();
    } catch (...) {
        // A get-text handler that fails shows nothing rather than breaking the screen's painting.
        return QString();
    }
}
