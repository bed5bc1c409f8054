// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/AppStateFixture.h"

#include "RenderOutput.h"

#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "support/FakeEventMonitors.h"
#include "support/FakeHotKeyService.h"
#include "support/FakeWorkspace.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>

// AppState on doubles plus what the windows reach besides it: the workspace, and the shortcut
// module on the hot-key and event-monitor doubles.
class UiFixture : public AppStateFixture
{
protected:
    UiFixture()
    {
        workspace = install<testsupport::FakeWorkspace>(services.workspace);
        hotKeys = install<testsupport::FakeHotKeyService>(services.hotKeys);
        monitors = install<testsupport::FakeEventMonitors>(services.eventMonitors);
        shortcuts = std::make_unique<GlobalShortcuts::ModuleContext>(*services.userDefaults,
                                                                     nullptr, monitors);
        handlers = std::make_unique<GlobalShortcuts::HotKeyHandlers>(*shortcuts, *hotKeys);
    }
    ~UiFixture() override
    {
        // The windows AppState holds go first, while the shortcut module still exists.
        app.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A PNG of `widget` once its layouts have caught up with the last change.
    static void render(QWidget &widget, const QString &name)
    {
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        testsupport::saveRender(widget, name);
    }
    // Whether `widget` would be on screen once its window is (its own flag and its parents').
    static bool shown(const QWidget *widget)
    {
        return widget && widget->isVisibleTo(widget->window());
    }

    testsupport::FakeWorkspace *workspace = nullptr;
    testsupport::FakeHotKeyService *hotKeys = nullptr;
    testsupport::FakeEventMonitors *monitors = nullptr;
    std::unique_ptr<GlobalShortcuts::ModuleContext> shortcuts;
    std::unique_ptr<GlobalShortcuts::HotKeyHandlers> handlers;
};
