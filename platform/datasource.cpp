// Data sources forward the record set's notifications to the controls bound to them.

#include "datasource.h"

#include "clientdataset.h"

TDataSource::TDataSource(QObject* parent) : QObject(parent) {}

TDataSource::~TDataSource()
{
    if (dataSet_)
        dataSet_->DetachSource(this);
}

void TDataSource::SetDataSet(TClientDataSet* dataSet)
{
    if (dataSet == dataSet_)
        return;
    const TDataSetState before = State();
    if (dataSet_)
        dataSet_->DetachSource(this);
    dataSet_ = dataSet;
    if (dataSet_)
        dataSet_->AttachSource(this);
    emit layoutChanged();
    if (State() != before)
        Notify(Event::StateChange, nullptr, 0);
    Notify(Event::DataSetChange, nullptr, 0);
}

TDataSetState TDataSource::State() const
{
    return dataSet_ ? dataSet_->State() : TDataSetState::Inactive;
}

void TDataSource::Notify(Event event, TField* field, int distance)
{
    switch (event) {
    case Event::StateChange:
        if (OnStateChange)
            OnStateChange(this);
        emit stateChanged();
        return;
    case Event::RecordChange:
    case Event::FieldChange:
        emit recordChanged(field);
        break;
    case Event::DataSetChange:
        emit dataSetChanged();
        break;
    case Event::DataSetScroll:
        emit dataSetScrolled(distance);
        break;
    case Event::LayoutChange:
        emit layoutChanged();
        break;
    }
    if (OnDataChange)
        OnDataChange(this, field);
    emit dataChanged(field);
}
