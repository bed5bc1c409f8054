// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtClipboardPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace platform::linux_impl {

namespace {

QClipboard *clipboard()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance())
               ? QGuiApplication::clipboard()
               : nullptr;
}

} // namespace

QtClipboardPasteboard::QtClipboardPasteboard()
{
    if (QClipboard *board = clipboard())
        m_watch = QObject::connect(board, &QClipboard::changed, [this](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard)
                ++m_changes;
        });
}

QtClipboardPasteboard::~QtClipboardPasteboard()
{
    QObject::disconnect(m_watch);
}

std::optional<QString> QtClipboardPasteboard::string() const
{
    QClipboard *board = clipboard();
    if (!board)
        return std::nullopt;
    const QMimeData *data = board->mimeData(QClipboard::Clipboard);
    if (!data || !data->hasText())
        return std::nullopt;
    return data->text();
}

void QtClipboardPasteboard::clearContents()
{
    ++m_changes; // Qt tells of our own changes only on a later turn of the event loop
    if (QClipboard *board = clipboard())
        board->clear(QClipboard::Clipboard);
}

bool QtClipboardPasteboard::setString(const QString &text)
{
    QClipboard *board = clipboard();
    if (!board)
        return false;
    ++m_changes;
    board->setText(text, QClipboard::Clipboard);
    return board->text(QClipboard::Clipboard) == text;
}

} // namespace platform::linux_impl
