#pragma once
// TCustomPageControl98: a page control whose pages (TTabSheet) can be disabled. The person moves
// between enabled pages only; OnChanging may refuse a move (allow = false) and OnChange runs
// after the person has moved to another page. SetActivePage(sheet) makes a page current from
// code, enabled or not, and raises neither event (the caller knows what it changed). Enter and
// exit events of the whole control come from TFocusEvents. Ctrl+Tab and Ctrl+Shift+Tab, with the
// focus anywhere in the control, move to the next or previous enabled page as a click on its tab
// does; they are the control's own keys, so a child-window area does not take them to switch
// windows.

#include "framework/focusevents.h"

#include <QTabWidget>

class TTabSheet;

class TCustomPageControl98 : public QTabWidget, public TFocusEvents {
    Q_OBJECT
public:
    explicit TCustomPageControl98(QWidget* parent = nullptr, const QString& name = QString());

    void AddPage(TTabSheet* sheet);
    TTabSheet* ActivePage() const;
    void SetActivePage(TTabSheet* sheet);
    int PageCount() const { return count(); }
    TTabSheet* Page(int index) const;
    // Greys or restores a page's tab; disabling the current page moves to a neighbour silently.
    void EnablePage(TTabSheet* sheet, bool enabled);

    std::function<void(QObject* sender, bool& allow)> OnChanging;
    std::function<void(QObject* sender)> OnChange;

private:
    void CurrentChanged(int index);
    void MoveByKeyboard(int step);

    bool settingFromCode_ = false;
    int shown_ = -1;
};
