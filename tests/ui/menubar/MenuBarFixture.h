// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/UiFixture.h"

#include "ui/kit/FadeAnimation.h"
#include "ui/menubar/MenuBarView.h"
#include "ui/menubar/MenuBarWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLayout>

#include <algorithm>
#include <memory>

// The tray window's content over AppState and UpdaterManager on doubles, shown offscreen.
class MenuBarFixture : public UiFixture
{
protected:
    // The window, still closed.
    ui::MenuBarWindow &createWindow(bool onboardingComplete = true)
    {
        defaults->setString(QStringLiteral("serverURL"), server.url());
        defaults->setBool(QStringLiteral("onboardingComplete"), onboardingComplete);
        create();
        window = std::make_unique<ui::MenuBarWindow>(*app, *updaterManager,
                                                     [this] { ++settingsOpened; });
        view = &window->view();
        return *window;
    }
    // The window open under a tray icon at the top of the screen.
    ui::MenuBarView &createView(bool onboardingComplete = true)
    {
        createWindow(onboardingComplete).showNear(QRect(100, 0, 24, 24));
        settle();
        return *view;
    }

    template <typename T = QWidget> T *find(const QString &name) const
    {
        T *found = view->findChild<T *>(name);
        EXPECT_NE(found, nullptr) << qPrintable(name);
        return found;
    }
    // Whether `name` would be on screen (the view itself is always shown).
    bool shows(const QString &name) const { return shown(find(name)); }
    QString buttonText(const QString &name) const
    {
        const auto *button = find<QAbstractButton>(name);
        return button ? button->text() : QString();
    }

    // Lets fades finish and layouts follow what changed.
    void settle()
    {
        testsupport::waitUntil(
            [this] {
                const auto animated = view->findChildren<QWidget *>();
                return std::none_of(animated.begin(), animated.end(), [](const QWidget *widget) {
                    return ui::FadeAnimation::isRunning(widget);
                });
            },
            2000);
        settleLayouts();
    }
    void render(const QString &name)
    {
        settle();
        testsupport::saveRender(*window, name);
    }

    int settingsOpened = 0;
    // Declared after AppState and UpdaterManager, so it goes first.
    std::unique_ptr<ui::MenuBarWindow> window;
    ui::MenuBarView *view = nullptr;
};
