#include "labels/textrules.h"

bool IsBlankText(const QString& text)
{
    return text.trimmed().isEmpty();
}

QString LRPad(const QString& text, int width, QChar fill, bool left)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.length() == width)
        return text;
    if (trimmed.length() > width)
        return trimmed;
    const QString filling(width - trimmed.length(), fill);
    return left ? filling + trimmed : trimmed + filling;
}
