#include "framework/calendarpopup.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QStringList& MonthNames()
{
    static const QStringList names = {
        QStringLiteral("Janeiro"), QStringLiteral("Fevereiro"), QStringLiteral("Março"), QStringLiteral("Abril"),
        QStringLiteral("Maio"), QStringLiteral("Junho"), QStringLiteral("Julho"), QStringLiteral("Agosto"),
        QStringLiteral("Setembro"), QStringLiteral("Outubro"), QStringLiteral("Novembro"), QStringLiteral("Dezembro"),
    };
    return names;
}

} // namespace

TCalendarPopup::TCalendarPopup(QWidget* owner, const QStringList& dayNames)
    : QFrame(owner, Qt::Popup), title_(new QLabel(this))
{
    setFrameShape(QFrame::Box);
    auto* previous = new QToolButton(this);
    previous->setArrowType(Qt::LeftArrow);
    previous->setAutoRaise(true);
    auto* next = new QToolButton(this);
    next->setArrowType(Qt::RightArrow);
    next->setAutoRaise(true);
    title_->setAlignment(Qt::AlignCenter);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    connect(previous, &QToolButton::clicked, this, [this] { ShowMonth(month_.addMonths(-1)); });
    connect(next, &QToolButton::clicked, this, [this] { ShowMonth(month_.addMonths(1)); });

    auto* header = new QHBoxLayout;
    header->addWidget(previous);
    header->addWidget(title_, 1);
    header->addWidget(next);

    auto* grid = new QGridLayout;
    grid->setSpacing(1);
    for (int col = 0; col < 7; ++col) {
        const QString name = col < dayNames.size() ? dayNames.at(col) : QString();
        auto* label = new QLabel(name.left(3), this);
        label->setToolTip(name);
        label->setAlignment(Qt::AlignCenter);
        grid->addWidget(label, 0, col);
    }
    for (int cell = 0; cell < 42; ++cell) {
        auto* day = new QToolButton(this);
        day->setAutoRaise(true);
        day->setFixedSize(28, 22);
        day->setFocusPolicy(Qt::NoFocus);
        connect(day, &QToolButton::clicked, this, [this, day] {
            const QDate date = day->property("date").toDate();
            hide();
            emit picked(date);
        });
        grid->addWidget(day, 1 + cell / 7, cell % 7);
        days_.append(day);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(header);
    layout->addLayout(grid);
}

void TCalendarPopup::Open(const QDate& date, const QPoint& at)
{
    marked_ = date.isValid() ? date : QDate::currentDate();
    ShowMonth(QDate(marked_.year(), marked_.month(), 1));
    move(at);
    show();
}

void TCalendarPopup::ShowMonth(const QDate& month)
{
    month_ = QDate(month.year(), month.month(), 1);
    title_->setText(QStringLiteral("%1 de %2").arg(MonthNames().at(month_.month() - 1)).arg(month_.year()));
    const int lead = month_.dayOfWeek() % 7;  // Sunday first
    for (int cell = 0; cell < days_.size(); ++cell) {
        QToolButton* day = days_.at(cell);
        const QDate date = month_.addDays(cell - lead);
        const bool inMonth = date.month() == month_.month();
        day->setText(inMonth ? QString::number(date.day()) : QString());
        day->setEnabled(inMonth);
        day->setProperty("date", date);
        QFont font = day->font();
        font.setBold(date == marked_);
        day->setFont(font);
    }
}

QToolButton* TCalendarPopup::DayButton(int day) const
{
    for (QToolButton* button : days_) {
        if (button->isEnabled() && button->text() == QString::number(day))
            return button;
    }
    return nullptr;
}
