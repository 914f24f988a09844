#pragma once
// TDateEditPlus: a date edit for dd/mm/yyyy with a calendar button. The edit holds either
// nothing or a date; while typed text is a valid date it is drawn in ValidDateColor. DayNames
// are the calendar's day names, Sunday first.
//
// Text() is empty while no digit is typed (so EmptyString treats an empty edit as empty), else
// the text as shown. GetDate() returns the typed date as a day number; an empty edit returns 0
// (30/12/1899, the platform's day zero), and a text that is not a date raises EConvertError.
// CheckValidDate() accepts an empty edit or a valid date; otherwise it puts the focus back in
// the edit and shows "'<text>' não é uma data válida." through MensErro with stop, which ends the
// running handler. Enter and exit events come from TFocusEvents. A click in an empty edit puts
// the cursor at its first position.

#include "framework/focusevents.h"
#include "platform/sysutils.h"

#include <QColor>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class TCalendarPopup;
class TSpeedButton;

class TDateEditPlus : public QWidget, public TFocusEvents {
    Q_OBJECT
public:
    explicit TDateEditPlus(QWidget* parent = nullptr, const QString& name = QString());

    QStringList DayNames;
    void SetValidDateColor(const QColor& color);
    QColor ValidDateColor() const { return validColor_; }

    QString Text() const;
    void SetText(const QString& text);
    bool IsEmpty() const;
    bool IsValidDate() const;
    TDateTime GetDate() const;
    void SetDate(TDateTime date);
    void Clear();
    void CheckValidDate();

    QLineEdit* Editor() const { return edit_; }
    TSpeedButton* CalendarButton() const { return button_; }
    // Opens the calendar under the edit (the calendar button does the same).
    void DropDown();
    TCalendarPopup* Calendar() const { return calendar_; }

    std::function<void(QObject* sender)> OnChange;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Recolour();

    QLineEdit* edit_;
    TSpeedButton* button_;
    TCalendarPopup* calendar_ = nullptr;
    QColor validColor_ = Qt::black;
};
