#pragma once
// TCalendarPopup: the month calendar that drops down under a date edit: month and year in
// Portuguese with buttons for the previous and next month, the day names the edit was given
// (Sunday first, shown by their first three letters), and the days of the month. Clicking a
// day emits picked and closes the calendar; Escape closes it without a choice.

#include <QDate>
#include <QFrame>
#include <QStringList>

class QGridLayout;
class QLabel;
class QToolButton;

class TCalendarPopup : public QFrame {
    Q_OBJECT
public:
    TCalendarPopup(QWidget* owner, const QStringList& dayNames);

    void Open(const QDate& date, const QPoint& at);
    QDate Month() const { return month_; }
    // The button of a day of the shown month (for tests), nullptr when the day is not shown.
    QToolButton* DayButton(int day) const;

signals:
    void picked(const QDate& date);

private:
    void ShowMonth(const QDate& month);

    QDate month_;
    QDate marked_;
    QLabel* title_;
    QList<QToolButton*> days_;
};
