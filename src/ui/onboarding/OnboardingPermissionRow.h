// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>

class QLabel;

namespace ui {

class BorderlessButton;
class SymbolLabel;

// One permission of the onboarding window: its symbol, title and, while granted, "Granted";
// while not granted, what it is for, the button that asks for it and an optional hint.
class OnboardingPermissionRow final : public QWidget
{
    Q_OBJECT

public:
    struct Texts
    {
        QString title;
        QString symbolNotGranted;
        // The icon's colour while not granted; green once granted.
        QColor colorNotGranted;
        QString description;
        QString buttonTitle;
        QString hint; // empty: none
    };

    static constexpr double iconReplaceSeconds = 0.2;

    explicit OnboardingPermissionRow(const Texts &texts, QWidget *parent = nullptr);

    void setGranted(bool granted);
    bool isGranted() const { return m_granted; }

    BorderlessButton *button() const { return m_button; }
    SymbolLabel *icon() const { return m_icon; }
    QLabel *grantedLabel() const { return m_grantedLabel; }
    QLabel *descriptionLabel() const { return m_description; }
    QLabel *hintLabel() const { return m_hint; }

signals:
    void buttonClicked();

private:
    Texts m_texts;
    bool m_granted = false;
    SymbolLabel *m_icon = nullptr;
    QLabel *m_grantedLabel = nullptr;
    QLabel *m_description = nullptr;
    BorderlessButton *m_button = nullptr;
    QLabel *m_hint = nullptr;
};

} // namespace ui
