// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtUpdateDialog.h"

#include <QPushButton>

namespace platform::linux_impl {

QtUpdateDialog::~QtUpdateDialog()
{
    if (m_box)
        m_box->deleteLater();
}

void QtUpdateDialog::showUpdateFound(const QString &newVersion, const QString &installedVersion,
                                     std::function<void()> download)
{
    QMessageBox &box = replaceBox(QMessageBox::Information,
                                  QStringLiteral("A new version of Parlovox is available!"),
                                  QStringLiteral("Parlovox %1 is now available — you have %2.")
                                      .arg(newVersion, installedVersion));
    QPushButton *downloadButton =
        box.addButton(QStringLiteral("Download"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Later"), QMessageBox::RejectRole);
    box.setDefaultButton(downloadButton);
    QObject::connect(downloadButton, &QPushButton::clicked, &box,
                     [download = std::move(download)] { download(); });
    box.show();
}

void QtUpdateDialog::showUpToDate(const QString &installedVersion)
{
    QMessageBox &box =
        replaceBox(QMessageBox::Information, QStringLiteral("You're up to date!"),
                   QStringLiteral("Parlovox %1 is currently the newest version available.")
                       .arg(installedVersion));
    box.addButton(QMessageBox::Ok);
    box.show();
}

void QtUpdateDialog::showFailure(const QString &error)
{
    QMessageBox &box =
        replaceBox(QMessageBox::Warning, QStringLiteral("Update Error!"),
                   QStringLiteral("An error occurred while checking for updates: %1").arg(error));
    box.addButton(QMessageBox::Ok);
    box.show();
}

QMessageBox &QtUpdateDialog::replaceBox(QMessageBox::Icon icon, const QString &text,
                                        const QString &informativeText)
{
    if (m_box)
        m_box->close();
    auto *box = new QMessageBox(); // deletes itself on close
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setWindowTitle(QStringLiteral("Software Update"));
    box->setIcon(icon);
    box->setText(text);
    box->setInformativeText(informativeText);
    m_box = box;
    return *box;
}

} // namespace platform::linux_impl
