#include "framework/dateeditplus.h"

#include "framework/calendarpopup.h"
#include "framework/eventguard.h"
#include "framework/routines.h"
#include "framework/speedbutton.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>

TDateEditPlus::TDateEditPlus(QWidget* parent, const QString& name)
    : QWidget(parent), edit_(new QLineEdit(this)), button_(new TSpeedButton(this))
{
    setObjectName(name);
    DayNames = {QStringLiteral("Domingo"), QStringLiteral("Segunda"), QStringLiteral("Terça"),
                QStringLiteral("Quarta"), QStringLiteral("Quinta"), QStringLiteral("Sexta"),
                QStringLiteral("Sábado")};
    edit_->setInputMask(QStringLiteral("99/99/9999;_"));
    button_->SetStandardIcon(QStyle::SP_ArrowDown);
    button_->setFixedSize(18, 21);
    button_->SetHint(QStringLiteral("Calendário"));
    button_->OnClick = [this](QObject*) { DropDown(); };
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(edit_, 1);
    layout->addWidget(button_);
    setFocusProxy(edit_);
    setFocusPolicy(Qt::StrongFocus);
    edit_->installEventFilter(this);
    connect(edit_, &QLineEdit::textChanged, this, [this] {
        Recolour();
        if (OnChange)
            RunGuarded([this] { OnChange(this); }, this);
    });
}

bool TDateEditPlus::eventFilter(QObject* watched, QEvent* event)
{
    // A click in an empty edit starts the typing at the day, wherever the click fell: the mask
    // would put the cursor under the mouse, in the middle of the blanks.
    if (watched == edit_ && event->type() == QEvent::MouseButtonPress && IsEmpty()
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        edit_->setFocus(Qt::MouseFocusReason);
        edit_->setCursorPosition(0);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TDateEditPlus::SetValidDateColor(const QColor& color)
{
    validColor_ = color;
    Recolour();
}

void TDateEditPlus::Recolour()
{
    QPalette palette = edit_->palette();
    palette.setColor(QPalette::Text, IsValidDate() ? validColor_ : QApplication::palette().color(QPalette::Text));
    edit_->setPalette(palette);
}

QString TDateEditPlus::Text() const
{
    const QString text = edit_->text();
    for (QChar c : text) {
        if (c.isDigit())
            return text.trimmed();
    }
    return QString();
}

void TDateEditPlus::SetText(const QString& text)
{
    edit_->setText(text);
}

bool TDateEditPlus::IsEmpty() const
{
    return Text().isEmpty();
}

bool TDateEditPlus::IsValidDate() const
{
    TDateTime date = 0;
    return !IsEmpty() && TryStrToDate(Text(), date);
}

TDateTime TDateEditPlus::GetDate() const
{
    return IsEmpty() ? 0.0 : StrToDate(Text());
}

void TDateEditPlus::SetDate(TDateTime date)
{
    if (date == 0.0) {
        Clear();
        return;
    }
    edit_->setText(DateToStr(date));
}

void TDateEditPlus::Clear()
{
    edit_->clear();
}

void TDateEditPlus::CheckValidDate()
{
    if (IsEmpty() || IsValidDate())
        return;
    edit_->setFocus(Qt::OtherFocusReason);
    MensErro(QStringLiteral("'%1' não é uma data válida.").arg(Text()), true);
}

void TDateEditPlus::DropDown()
{
    if (!calendar_) {
        calendar_ = new TCalendarPopup(this, DayNames);
        connect(calendar_, &TCalendarPopup::picked, this, [this](const QDate& date) {
            edit_->setText(date.toString(QStringLiteral("dd/MM/yyyy")));
            edit_->setFocus(Qt::PopupFocusReason);
        });
    }
    const QDate current = IsValidDate() ? QtFromDateTime(GetDate()).date() : QDate::currentDate();
    calendar_->Open(current, mapToGlobal(QPoint(0, height())));
}
