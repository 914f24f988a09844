#pragma once
// TTabSheet: one page of a TCustomPageControl98, with its caption and enter and exit events.
// A disabled page cannot be chosen by the person (its tab is greyed) and its controls take no
// input; SetPageEnabled is the way to switch that, because it greys the tab as well.

#include "framework/focusevents.h"

#include <QWidget>

class TCustomPageControl98;

class TTabSheet : public QWidget, public TFocusEvents {
    Q_OBJECT
public:
    TTabSheet(TCustomPageControl98* pageControl, const QString& caption, const QString& name = QString());

    TCustomPageControl98* PageControl() const { return pageControl_; }
    int PageIndex() const;
    void SetPageEnabled(bool enabled);
    bool PageEnabled() const;
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);

private:
    TCustomPageControl98* pageControl_;
    QString caption_;
};
