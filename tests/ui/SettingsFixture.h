// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/AppStateFixture.h"
#include "engine/UpdaterManager.h"

#include "support/FakeUpdater.h"
#include "support/FakeWorkspace.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>

#include <memory>

// The settings window's tabs on AppState's fixture, with the workspace and the update framework
// as doubles and the real changelog resource.
class SettingsFixture : public AppStateFixture
{
protected:
    SettingsFixture()
    {
        workspace = install<testsupport::FakeWorkspace>(services.workspace);
        services.updater = std::make_unique<testsupport::FakeUpdater>();
        updater = static_cast<testsupport::FakeUpdater *>(services.updater.get());
        updaterManager = std::make_unique<UpdaterManager>(*updater);
        bundle->setResource(QStringLiteral("CHANGELOG.md"),
                            QStringLiteral(":/parlovox/CHANGELOG.md"));
    }
    ~SettingsFixture() override
    {
        QApplication::setPalette(QApplication::style()->standardPalette());
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
    std::unique_ptr<UpdaterManager> updaterManager;
};
