#include "framework/uiservices.h"

#include "framework/qtuiservices.h"

namespace {

TUiServices* current = nullptr;

TUiServices& QtServices()
{
    static TQtUiServices services;
    return services;
}

} // namespace

TUiServices& UiServices()
{
    return current ? *current : QtServices();
}

void SetUiServices(TUiServices* services)
{
    current = services;
}
