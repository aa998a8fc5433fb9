#pragma once
// The event bindings: which operation each control or menu event starts.

#include "app/menus.h"
#include "app/service_bindings.h"

#include <string>

namespace app {

class QtWindow;

struct BindingContext {
    QtWindow& window;
    const Menus& menus;
    ServiceActions actions;
    std::string settingsFile;
};

void bindEvents(QWidget& mainWindow, BindingContext context);

} // namespace app
