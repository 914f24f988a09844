#pragma once
// TControlsPause: suspends the refresh of a record set's bound controls (DisableControls) for
// the length of a block and resumes it when the block ends, also when it ends with an error, so
// that a walk or a load repaints its grids once and never leaves them frozen.

#include "platform/clientdataset.h"

class TControlsPause {
public:
    explicit TControlsPause(TClientDataSet* set) : set_(set) { set_->DisableControls(); }
    ~TControlsPause() { Resume(); }
    TControlsPause(const TControlsPause&) = delete;
    TControlsPause& operator=(const TControlsPause&) = delete;

    // Resumes now; the end of the block then resumes nothing more.
    void Resume()
    {
        if (!set_)
            return;
        TClientDataSet* set = set_;
        set_ = nullptr;
        set->EnableControls();
    }

private:
    TClientDataSet* set_;
};
