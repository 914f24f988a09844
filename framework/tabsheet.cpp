#include "framework/tabsheet.h"

#include "framework/custompagecontrol98.h"

TTabSheet::TTabSheet(TCustomPageControl98* pageControl, const QString& caption, const QString& name)
    : QWidget(pageControl), pageControl_(pageControl), caption_(caption)
{
    setObjectName(name);
    pageControl->AddPage(this);
}

int TTabSheet::PageIndex() const
{
    return pageControl_->indexOf(const_cast<TTabSheet*>(this));
}

void TTabSheet::SetPageEnabled(bool enabled)
{
    pageControl_->EnablePage(this, enabled);
}

bool TTabSheet::PageEnabled() const
{
    return pageControl_->isTabEnabled(PageIndex());
}

void TTabSheet::SetCaption(const QString& caption)
{
    caption_ = caption;
    pageControl_->setTabText(PageIndex(), caption);
}
