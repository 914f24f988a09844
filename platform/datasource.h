#pragma once
// TDataSource sits between a record set and the controls bound to it, and forwards what happens:
// state changes (Browse/Edit/Insert/Inactive) to OnStateChange and stateChanged(); changes of the
// data to OnDataChange and dataChanged(field), where field is the one field written in Edit/Insert
// or nullptr for a whole record or set. The finer signals tell what kind of change it was:
// recordChanged(field) (the current record or one field of it), dataSetChanged() (rows or cursor
// changed: post, delete, load, filter, First/Last/Locate, end of DisableControls), dataSetScrolled(d)
// (Next/Prior moved by d rows), layoutChanged() (the set opened or closed, or the source was rebound).
// While the record set's controls are disabled nothing is forwarded. Either side may be destroyed
// first; the link is dropped on both.

#include <QObject>

#include <functional>

class TClientDataSet;
class TField;
enum class TDataSetState;

class TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(QObject* parent = nullptr);
    ~TDataSource() override;

    void SetDataSet(TClientDataSet* dataSet);
    TClientDataSet* DataSet() const { return dataSet_; }
    TDataSetState State() const;

    std::function<void(TDataSource*)> OnStateChange;
    std::function<void(TDataSource*, TField*)> OnDataChange;

signals:
    void stateChanged();
    void dataChanged(TField* field);
    void recordChanged(TField* field);
    void dataSetChanged();
    void dataSetScrolled(int distance);
    void layoutChanged();

private:
    friend class TClientDataSet;
    enum class Event { StateChange, RecordChange, FieldChange, DataSetChange, DataSetScroll, LayoutChange };
    void Notify(Event event, TField* field, int distance);

    TClientDataSet* dataSet_ = nullptr;
};
