#include "framework/custompagecontrol98.h"

#include "framework/eventguard.h"
#include "framework/tabsheet.h"

TCustomPageControl98::TCustomPageControl98(QWidget* parent, const QString& name) : QTabWidget(parent)
{
    setObjectName(name);
    connect(this, &QTabWidget::currentChanged, this, &TCustomPageControl98::CurrentChanged);
}

void TCustomPageControl98::AddPage(TTabSheet* sheet)
{
    settingFromCode_ = true;
    addTab(sheet, sheet->Caption());
    settingFromCode_ = false;
    shown_ = currentIndex();
}

TTabSheet* TCustomPageControl98::ActivePage() const
{
    return qobject_cast<TTabSheet*>(currentWidget());
}

TTabSheet* TCustomPageControl98::Page(int index) const
{
    return qobject_cast<TTabSheet*>(widget(index));
}

void TCustomPageControl98::EnablePage(TTabSheet* sheet, bool enabled)
{
    settingFromCode_ = true;
    setTabEnabled(indexOf(sheet), enabled);
    settingFromCode_ = false;
    shown_ = currentIndex();
}

void TCustomPageControl98::SetActivePage(TTabSheet* sheet)
{
    const int index = indexOf(sheet);
    if (index < 0)
        return;
    settingFromCode_ = true;
    setCurrentIndex(index);
    settingFromCode_ = false;
    shown_ = currentIndex();
}

void TCustomPageControl98::CurrentChanged(int index)
{
    if (settingFromCode_ || index == shown_)
        return;
    // A disabled page cannot be reached by the person, whatever asked for it.
    bool allow = index < 0 || isTabEnabled(index);
    if (allow && OnChanging && !RunGuarded([&] { OnChanging(this, allow); }, this))
        allow = false;
    if (!allow) {
        settingFromCode_ = true;
        setCurrentIndex(shown_);
        settingFromCode_ = false;
        return;
    }
    shown_ = index;
    if (OnChange)
        RunGuarded([this] { OnChange(this); }, this);
}
