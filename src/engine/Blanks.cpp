// SPDX-License-Identifier: GPL-3.0-or-later
#include "Blanks.h"

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

} // namespace

QString trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin).toString();
}

QStringList splitWordList(QStringView text)
{
    QStringList words;
    for (QStringView piece : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        QString word = trimBlanks(piece);
        if (!word.isEmpty())
            words.append(std::move(word));
    }
    return words;
}
