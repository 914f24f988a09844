#pragma once
// TBusyCursor: the busy (hourglass) cursor over the whole client for as long as it lives, or
// until Release; the default cursor is back afterwards, also when an error ends the block.

class TBusyCursor {
public:
    TBusyCursor();
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

    void Release();

private:
    bool active_ = true;
};
