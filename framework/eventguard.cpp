#include "framework/eventguard.h"

#include "framework/showavi.h"
#include "framework/uiservices.h"
#include "platform/errors.h"

#include <QApplication>
#include <QWidget>

namespace {

int depth = 0;

QWidget* ErrorOwner(QWidget* owner)
{
    return owner ? owner->window() : QApplication::activeWindow();
}

void Fail(QWidget* owner, const QString& message)
{
    if (depth == 1)
        ResetShowAvi();
    UiServices().Error(ErrorOwner(owner), message);
}

struct DepthScope {
    DepthScope() { ++depth; }
    ~DepthScope() { --depth; }
};

} // namespace

bool RunGuarded(const std::function<void()>& handler, QWidget* owner)
{
    DepthScope scope;
    try {
        handler();
        return true;
    } catch (const EAbort&) {
        if (depth == 1)
            ResetShowAvi();
    } catch (const Exception& error) {
        Fail(owner, error.Message());
    } catch (const std::exception& error) {
        Fail(owner, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        Fail(owner, QStringLiteral("Ocorreu um erro inesperado."));
    }
    return false;
}

bool InGuardedHandler()
{
    return depth > 0;
}
