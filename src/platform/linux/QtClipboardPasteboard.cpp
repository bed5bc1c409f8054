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

QtClipboardPasteboard::QtClipboardPasteboard(QClipboard::Mode mode) : m_mode(mode)
{
    if (QClipboard *board = clipboard())
        m_watch = QObject::connect(board, &QClipboard::changed, [this](QClipboard::Mode changed) {
            if (changed == m_mode)
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
    const QMimeData *data = board->mimeData(m_mode);
    if (!data || !data->hasText())
        return std::nullopt;
    return data->text();
}

void QtClipboardPasteboard::clearContents()
{
    ++m_changes; // Qt tells of our own changes only on a later turn of the event loop
    if (QClipboard *board = clipboard())
        board->clear(m_mode);
}

bool QtClipboardPasteboard::setString(const QString &text)
{
    QClipboard *board = clipboard();
    if (!board)
        return false;
    ++m_changes;
    board->setText(text, m_mode);
    return board->text(m_mode) == text;
}

} // namespace platform::linux_impl
