// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/Symbols.h"

#include "ui/kit/UiLogging.h"

#include <QFontDatabase>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QSet>

namespace ui {

namespace {

const QString kFamily = QStringLiteral("Material Icons");
const QString kFontFile = QStringLiteral(
    "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf");

// Design name → Material Icons code point (the Material name in the comment).
const QHash<QString, char32_t> &table()
{
    static const QHash<QString, char32_t> rows = {
        {QStringLiteral("arrow.clockwise"), 0xe5d5},                         // refresh
        {QStringLiteral("arrow.clockwise.circle"), 0xe863},                  // autorenew
        {QStringLiteral("arrow.down.app.fill"), 0xe62a},                     // system_update
        {QStringLiteral("arrow.down.circle.fill"), 0xf181},                  // arrow_circle_down
        {QStringLiteral("arrow.triangle.2.circlepath"), 0xe627},             // sync
        {QStringLiteral("checkmark.circle.fill"), 0xe86c},                   // check_circle
        {QStringLiteral("brain"), 0xea4a},                                   // psychology
        {QStringLiteral("chevron.left"), 0xe5cb},                            // chevron_left
        {QStringLiteral("chevron.right"), 0xe5cc},                           // chevron_right
        {QStringLiteral("chevron.left.forwardslash.chevron.right"), 0xe86f}, // code
        {QStringLiteral("circle"), 0xe836},                        // radio_button_unchecked
        {QStringLiteral("command"), 0xeae7},                       // keyboard_command_key
        {QStringLiteral("doc.on.doc"), 0xe14d},                    // content_copy
        {QStringLiteral("doc.text"), 0xe873},                      // description
        {QStringLiteral("ellipsis"), 0xe5d3},                      // more_horiz
        {QStringLiteral("exclamationmark.triangle"), 0xf083},      // warning_amber
        {QStringLiteral("exclamationmark.triangle.fill"), 0xe002}, // warning
        {QStringLiteral("eye"), 0xe8f4},                           // visibility
        {QStringLiteral("eye.fill"), 0xe8f4},                      // visibility
        {QStringLiteral("gear"), 0xe8b8},                          // settings
        {QStringLiteral("globe"), 0xe894},                         // language
        {QStringLiteral("hand.raised.fill"), 0xe925},              // pan_tool
        {QStringLiteral("info.circle"), 0xe88f},                   // info_outline
        {QStringLiteral("keyboard"), 0xe312},                      // keyboard
        {QStringLiteral("laptopcomputer"), 0xe31e},                // laptop
        {QStringLiteral("link"), 0xe157},                          // link
        {QStringLiteral("lock.shield"), 0xe32a},                   // security
        {QStringLiteral("mic.fill"), 0xe029},                      // mic
        {QStringLiteral("mic.slash.fill"), 0xe02b},                // mic_off
        {QStringLiteral("plus.circle.fill"), 0xe147},              // add_circle
        {QStringLiteral("sparkles"), 0xe65f},                      // auto_awesome
        {QStringLiteral("switch.2"), 0xe9f6},                      // toggle_on
        {QStringLiteral("text.badge.plus"), 0xe89c},               // note_add
        {QStringLiteral("timer"), 0xe425},                         // timer
        {QStringLiteral("waveform"), 0xe1b8},                      // graphic_eq
        // The server cannot be reached: a filled warning triangle would read as the error state.
        {QStringLiteral("waveform.badge.exclamationmark"), 0xe2c1}, // cloud_off
        {QStringLiteral("waveform.circle.fill"), 0xe8c8},           // settings_voice
        {QStringLiteral("xmark"), 0xe5cd},                          // close
        {QStringLiteral("xmark.circle"), 0xe888},                   // highlight_off
        {QStringLiteral("xmark.circle.fill"), 0xe5c9},              // cancel
    };
    return rows;
}

// The font comes with the system's font packages; a private copy is loaded only when fontconfig
// does not list it (a minimal container).
void ensureFontLoaded()
{
    static const bool loaded = [] {
        if (QFontDatabase::families().contains(kFamily))
            return true;
        if (QFontDatabase::addApplicationFont(kFontFile) < 0) {
            qCCritical(lcUi, "[Symbols] Icon font not found at %s", qPrintable(kFontFile));
            return false;
        }
        return true;
    }();
    Q_UNUSED(loaded);
}

} // namespace

std::optional<char32_t> Symbols::codepoint(const QString &name)
{
    const auto found = table().constFind(name);
    if (found != table().constEnd())
        return *found;
    // Views that show a symbol only in some states hold no name in the others.
    if (name.isEmpty())
        return std::nullopt;
    static QSet<QString> reported;
    if (!reported.contains(name)) {
        reported.insert(name);
        qCInfo(lcUi, "[Symbols] No glyph for symbol %s", qPrintable(name));
    }
    return std::nullopt;
}

QString Symbols::text(const QString &name)
{
    const std::optional<char32_t> glyph = codepoint(name);
    if (!glyph)
        return {};
    const char32_t ucs4[] = {*glyph};
    return QString::fromUcs4(ucs4, 1);
}

QFont Symbols::font(int pixelSize)
{
    ensureFontLoaded();
    QFont font(kFamily);
    font.setPixelSize(pixelSize);
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

void Symbols::paint(QPainter &painter, const QRectF &rect, const QString &name, const QColor &color)
{
    const QString glyph = text(name);
    if (glyph.isEmpty())
        return;
    painter.save();
    painter.setFont(font(qMax(1, qRound(rect.height()))));
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter, glyph);
    painter.restore();
}

QIcon Symbols::icon(const QString &name, const QColor &color, int pixelSize)
{
    QPixmap pixmap(pixelSize, pixelSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter, QRectF(0, 0, pixelSize, pixelSize), name, color);
    painter.end();
    return QIcon(pixmap);
}

QStringList Symbols::names()
{
    QStringList names = table().keys();
    names.sort();
    return names;
}

} // namespace ui
