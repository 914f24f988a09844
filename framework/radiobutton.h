#pragma once
// TRadioButton: an option button whose OnClick runs (through the event guard) when the person
// clicks it or presses Space on it; enter and exit events come from TFocusEvents. Options in
// the same parent exclude each other, as the screens' paired "Todos"/"Lista" options expect.

#include "framework/focusevents.h"

#include <QRadioButton>

class TRadioButton : public QRadioButton, public TFocusEvents {
    Q_OBJECT
public:
    TRadioButton(const QString& caption, QWidget* parent = nullptr, const QString& name = QString());

    bool Checked() const { return isChecked(); }
    void SetChecked(bool checked) { setChecked(checked); }

    std::function<void(QObject* sender)> OnClick;
};
