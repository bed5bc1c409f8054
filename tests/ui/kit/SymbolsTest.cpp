// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/Symbols.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

// A name whose glyph the installed font lacks would draw a blank box in every window.
TEST(Symbols, EveryNamedSymbolIsAGlyphOfTheIconFont)
{
    const QFontMetrics metrics(ui::Symbols::font(24));
    for (const QString &name : ui::Symbols::names()) {
        const std::optional<char32_t> glyph = ui::Symbols::codepoint(name);
        ASSERT_TRUE(glyph.has_value()) << qPrintable(name);
        EXPECT_TRUE(metrics.inFontUcs4(*glyph)) << qPrintable(name);
    }
    EXPECT_FALSE(ui::Symbols::codepoint(QStringLiteral("no.such.symbol")).has_value());
    EXPECT_TRUE(ui::Symbols::text(QStringLiteral("no.such.symbol")).isEmpty());
}
