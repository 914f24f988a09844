#pragma once
// Reads another visible row of a record set without moving its cursor or firing any event: while
// a TRecordPeek lives, every field getter of that set (AsString, DisplayText, IsNull, Value, ...)
// reads row recNo (1-based, in the current order and filter). Grids use it to paint cells and run
// get-text handlers that read "the current row". In Insert state the pending row is the row at the
// set's RecNo and the rows from there on are one further down. Peeks nest. A recNo outside the
// visible rows raises EDatabaseError.

class TClientDataSet;

class TRecordPeek {
public:
    TRecordPeek(TClientDataSet* dataSet, int recNo);
    ~TRecordPeek();
    TRecordPeek(const TRecordPeek&) = delete;
    TRecordPeek& operator=(const TRecordPeek&) = delete;

private:
    TClientDataSet* dataSet_;
};
