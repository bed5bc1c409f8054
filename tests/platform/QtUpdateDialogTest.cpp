// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/QtUpdateDialog.h"

#include "ui/RenderOutput.h"

#include <QApplication>
#include <QPushButton>

#include <gtest/gtest.h>

using platform::linux_impl::QtUpdateDialog;

namespace {

QList<QMessageBox *> openBoxes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QList<QMessageBox *> boxes;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
            boxes.append(box);
    return boxes;
}

QPushButton *buttonNamed(QMessageBox &box, const QString &text)
{
    for (QAbstractButton *button : box.buttons())
        if (button->text().remove(QLatin1Char('&')) == text)
            return qobject_cast<QPushButton *>(button);
    return nullptr;
}

TEST(QtUpdateDialog, EachOutcomeShowsOneWindowAndDownloadOpensThePage)
{
    QtUpdateDialog dialog;
    int downloads = 0;
    dialog.showUpdateFound(QStringLiteral("1.2"), QStringLiteral("1.0"), [&] { ++downloads; });
    ASSERT_EQ(openBoxes().size(), 1);
    QMessageBox &found = *openBoxes().first();
    EXPECT_TRUE(found.informativeText().contains(QStringLiteral("Parlovox 1.2")));
    testsupport::saveRender(found, QStringLiteral("update-found"));
    QPushButton *download = buttonNamed(found, QStringLiteral("Download"));
    ASSERT_NE(download, nullptr);
    download->click();
    EXPECT_EQ(downloads, 1);
    EXPECT_TRUE(openBoxes().isEmpty());

    // A later outcome replaces the window still open.
    dialog.showUpToDate(QStringLiteral("1.0"));
    dialog.showFailure(QStringLiteral("Connection refused"));
    ASSERT_EQ(openBoxes().size(), 1);
    EXPECT_TRUE(
        openBoxes().first()->informativeText().contains(QStringLiteral("Connection refused")));
    testsupport::saveRender(*openBoxes().first(), QStringLiteral("update-failure"));
    dialog.showUpToDate(QStringLiteral("1.0"));
    testsupport::saveRender(*openBoxes().first(), QStringLiteral("update-up-to-date"));
}

} // namespace
