// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/AppStateFixture.h"
#include "engine/UpdaterManager.h"

#include "ui/RenderOutput.h"
#include "ui/kit/ThemeStyle.h"

#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "support/FakeEventMonitors.h"
#include "support/FakeHotKeyService.h"
#include "support/FakeUpdater.h"
#include "support/FakeWorkspace.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QStyle>

#include <memory>

// AppState on doubles plus what the windows reach besides it: the workspace, the update
// framework under UpdaterManager, the shortcut module on the hot-key and event-monitor doubles,
// and the real changelog resource.
class UiFixture : public AppStateFixture
{
protected:
    UiFixture()
    {
        workspace = install<testsupport::FakeWorkspace>(services.workspace);
        updater = install<testsupport::FakeUpdater>(services.updater);
        updaterManager = std::make_unique<UpdaterManager>(*updater);
        hotKeys = install<testsupport::FakeHotKeyService>(services.hotKeys);
        monitors = install<testsupport::FakeEventMonitors>(services.eventMonitors);
        shortcuts = std::make_unique<GlobalShortcuts::ModuleContext>(*services.userDefaults,
                                                                     nullptr, monitors);
        handlers = std::make_unique<GlobalShortcuts::HotKeyHandlers>(*shortcuts, *hotKeys);
        bundle->setResource(QStringLiteral("CHANGELOG.md"),
                            QStringLiteral(":/parlovox/CHANGELOG.md"));
        // The program's style, as main() puts it over the desktop's.
        ui::ThemeStyle::install();
    }
    ~UiFixture() override
    {
        // The windows AppState holds go first, while the shortcut module still exists.
        app.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::setPalette(QApplication::style()->standardPalette());
    }

    // Lets layouts follow what changed: a label that rewraps asks its parent for a new size,
    // which asks its own parent on a later turn of the event loop, one turn per level.
    static void settleLayouts()
    {
        for (int turn = 0; turn < 10; ++turn)
            QApplication::processEvents();
    }
    // A PNG of `widget` once its layouts have caught up with the last change.
    static void render(QWidget &widget, const QString &name)
    {
        settleLayouts();
        testsupport::saveRender(widget, name);
    }
    // Whether `widget` would be on screen once its window is (its own flag and its parents').
    static bool shown(const QWidget *widget)
    {
        return widget && widget->isVisibleTo(widget->window());
    }
    // A dark desktop palette; widgets made after this take it.
    static void useDarkPalette()
    {
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2d));
        dark.setColor(QPalette::WindowText, QColor(0xec, 0xec, 0xec));
        dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
        dark.setColor(QPalette::AlternateBase, QColor(0x33, 0x33, 0x36));
        dark.setColor(QPalette::Text, QColor(0xec, 0xec, 0xec));
        dark.setColor(QPalette::PlaceholderText, QColor(0x8a, 0x8a, 0x8e));
        dark.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3c));
        dark.setColor(QPalette::ButtonText, QColor(0xec, 0xec, 0xec));
        dark.setColor(QPalette::Highlight, QColor(0x0a, 0x84, 0xff));
        dark.setColor(QPalette::HighlightedText, Qt::white);
        dark.setColor(QPalette::Light, QColor(0x4a, 0x4a, 0x4c));
        dark.setColor(QPalette::Midlight, QColor(0x40, 0x40, 0x42));
        dark.setColor(QPalette::Mid, QColor(0x30, 0x30, 0x32));
        dark.setColor(QPalette::Dark, QColor(0x20, 0x20, 0x22));
        dark.setColor(QPalette::Shadow, Qt::black);
        dark.setColor(QPalette::ToolTipBase, QColor(0x3a, 0x3a, 0x3c));
        dark.setColor(QPalette::ToolTipText, QColor(0xec, 0xec, 0xec));
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(QPalette::Disabled, role, QColor(0x6e, 0x6e, 0x72));
        QApplication::setPalette(dark);
    }

    testsupport::FakeWorkspace *workspace = nullptr;
    testsupport::FakeUpdater *updater = nullptr;
    testsupport::FakeHotKeyService *hotKeys = nullptr;
    testsupport::FakeEventMonitors *monitors = nullptr;
    std::unique_ptr<UpdaterManager> updaterManager;
    std::unique_ptr<GlobalShortcuts::ModuleContext> shortcuts;
    std::unique_ptr<GlobalShortcuts::HotKeyHandlers> handlers;
};
