#pragma once
// TADOIBQuery: a lookup query on the host's database (dtmDBGeral). It is a record set whose
// fields are declared beforehand; Open runs the SQL lines (joined by line breaks) and fills each
// declared field from the result column of the same name (ignoring case; a declared field the
// result lacks stays null, result columns not declared are ignored). The rows load as the set's
// original data, with no pending changes. Text values are kept as the database returns them,
// except that the trailing blanks of fixed-width columns are dropped. A statement the database
// refuses, or a connection that cannot be opened, raises EDatabaseError with the reason and
// leaves the set closed. Close drops the rows, as for any record set.

#include "platform/clientdataset.h"

#include <QStringList>

class TADOIBQuery : public TClientDataSet {
    Q_OBJECT
public:
    explicit TADOIBQuery(QObject* parent = nullptr);

    QStringList SQL;

    void Open() override;
};
