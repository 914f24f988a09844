#include "framework/custompagecontrol98.h"

#include "framework/eventguard.h"
#include "framework/tabsheet.h"

#include <QShortcut>

#include <utility>

TCustomPageControl98::TCustomPageControl98(QWidget* parent, const QString& name) : QTabWidget(parent)
{
    setObjectName(name);
    connect(this, &QTabWidget::currentChanged, this, &TCustomPageControl98::CurrentChanged);
    for (const auto& [key, step] : {std::pair{QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
                                    std::pair{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1}}) {
        auto* shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, step] { MoveByKeyboard(step); });
    }
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

void TCustomPageControl98::MoveByKeyboard(int step)
{
    for (int moved = 1; moved < count(); ++moved) {
        const int index = (currentIndex() + step * moved + count()) % count();
        if (isTabEnabled(index)) {
            setCurrentIndex(index);
            return;
        }
    }
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
