// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopWorkspace.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>

Q_LOGGING_CATEGORY(lcWorkspace, "parlovox.workspace", QtInfoMsg)

namespace platform::linux_impl {

namespace {

struct SettingsProgram
{
    const char *program;
    QStringList arguments;
};

// In order of preference; the first one installed is used.
QList<SettingsProgram> soundSettingsPrograms()
{
    return {
        {"gnome-control-center", {QStringLiteral("sound")}},
        {"cinnamon-settings", {QStringLiteral("sound")}},
        {"kcmshell6", {QStringLiteral("kcm_pulseaudio")}},
        {"kcmshell5", {QStringLiteral("kcm_pulseaudio")}},
        {"mate-volume-control", {}},
        // Its input devices tab.
        {"pavucontrol", {QStringLiteral("--tab=4")}},
    };
}

QList<SettingsProgram> keyboardSettingsPrograms()
{
    return {
        {"gnome-control-center", {QStringLiteral("keyboard")}},
        {"cinnamon-settings", {QStringLiteral("keyboard")}},
        {"kcmshell6", {QStringLiteral("kcm_keyboard")}},
        {"kcmshell5", {QStringLiteral("kcm_keyboard")}},
        {"xfce4-keyboard-settings", {}},
        {"mate-keyboard-properties", {}},
        {"lxqt-config-input", {}},
    };
}

} // namespace

DesktopWorkspace::DesktopWorkspace(QString version) : m_version(std::move(version)) {}

DesktopWorkspace::~DesktopWorkspace()
{
    if (m_about)
        m_about->deleteLater();
}

bool DesktopWorkspace::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

bool DesktopWorkspace::openInTextEditor(const QString &filePath)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(filePath));
}

bool DesktopWorkspace::openPrivacySettings(PrivacyPane pane)
{
    // Microphone access is the sound server's input devices; the other grants come with the
    // X session and keyboard set-up.
    const bool sound = pane == PrivacyPane::Microphone;
    for (const SettingsProgram &candidate :
         sound ? soundSettingsPrograms() : keyboardSettingsPrograms()) {
        const QString path = QStandardPaths::findExecutable(QLatin1String(candidate.program));
        if (path.isEmpty())
            continue;
        if (QProcess::startDetached(path, candidate.arguments))
            return true;
        qCCritical(lcWorkspace, "[Workspace] %s did not start", candidate.program);
    }
    qCInfo(lcWorkspace, "[Workspace] No %s settings program is installed",
           sound ? "sound" : "keyboard");
    return false;
}

void DesktopWorkspace::activateApplication()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus))
            continue;
        window->raise();
        window->activateWindow();
    }
}

void DesktopWorkspace::showAboutPanel()
{
    if (!m_about) {
        auto *about = new QMessageBox(); // deletes itself on close
        about->setAttribute(Qt::WA_DeleteOnClose);
        about->setWindowTitle(QStringLiteral("About Parlovox"));
        about->setIconPixmap(QApplication::windowIcon().pixmap(64, 64));
        about->setText(QStringLiteral("Parlovox %1").arg(m_version));
        about->setInformativeText(QStringLiteral("Push-to-talk dictation for the Linux desktop."));
        about->addButton(QMessageBox::Ok);
        m_about = about;
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void DesktopWorkspace::terminate()
{
    QCoreApplication::quit();
}

} // namespace platform::linux_impl
