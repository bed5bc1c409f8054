// SPDX-License-Identifier: GPL-3.0-or-later
#include "Shortcut.h"

#include "GlobalShortcuts/KeyToCharacter.h"
#include "GlobalShortcuts/Localization.h"
#include "GlobalShortcuts/Name.h"
#include "GlobalShortcuts/SpecialKey.h"
#include "GlobalShortcuts/Storage.h"
#include "platform/Event.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QVariant>

#include <cmath>

namespace GlobalShortcuts {

namespace {

const QString keyCodeMember = QStringLiteral("carbonKeyCode");
const QString modifiersMember = QStringLiteral("carbonModifiers");

qint64 normalized(qint64 carbonModifiers)
{
    return carbonFromCocoa(cocoaFromCarbon(carbonModifiers));
}

// A JSON number that is an exact 64-bit integer (1 and 1.0 are; 1.5, "1" and true are not).
std::optional<qint64> integerMember(const QJsonObject &object, const QString &member)
{
    const QJsonValue value = object.value(member);
    if (!value.isDouble())
        return std::nullopt;
    const QVariant variant = value.toVariant();
    if (variant.typeId() == QMetaType::LongLong || variant.typeId() == QMetaType::Int)
        return variant.toLongLong();
    const double d = value.toDouble();
    // 2^63 itself does not fit, hence the strict upper bound.
    if (!std::isfinite(d) || std::trunc(d) != d || d < -9223372036854775808.0 ||
        d >= 9223372036854775808.0)
        return std::nullopt;
    return qint64(d);
}

} // namespace

Shortcut::Shortcut(qint64 carbonKeyCode, qint64 carbonModifiers)
    : m_carbonKeyCode(carbonKeyCode), m_carbonModifiers(normalized(carbonModifiers))
{}

Shortcut::Shortcut(Key key, ModifierFlags modifiers)
    : m_carbonKeyCode(key.rawValue), m_carbonModifiers(normalized(carbonFromCocoa(modifiers)))
{}

std::optional<Shortcut> Shortcut::fromEvent(const platform::Event &event)
{
    if (event.type != platform::Event::Type::keyDown && event.type != platform::Event::Type::keyUp)
        return std::nullopt;
    return Shortcut(Key(qint64(event.keyCode)), event.modifierFlags & ~CocoaFlag::function);
}

std::optional<Shortcut> Shortcut::fromName(const Name &name)
{
    return getShortcut(name);
}

QByteArray Shortcut::toJson() const
{
    // QJsonDocument writes members sorted by name, which is also the order they are declared in.
    QJsonObject object;
    object.insert(keyCodeMember, m_carbonKeyCode);
    object.insert(modifiersMember, m_carbonModifiers);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<Shortcut> Shortcut::fromJson(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const auto keyCode = integerMember(object, keyCodeMember);
    const auto modifiers = integerMember(object, modifiersMember);
    if (!keyCode || !modifiers)
        return std::nullopt;
    return Shortcut(Raw{}, *keyCode, *modifiers);
}

QString Shortcut::description() const
{
    QString keyText;
    if (const auto special = specialKeyForKeyCode(m_carbonKeyCode))
        keyText = displayText(*special);
    else
        keyText = capitalized(keyToCharacter(m_carbonKeyCode).value_or(QStringLiteral("\uFFFD")));
    return symbolicRepresentation(modifiers()) + keyText;
}

std::optional<QString> Shortcut::nsMenuItemKeyEquivalent() const
{
    if (const auto special = specialKeyForKeyCode(m_carbonKeyCode))
        return menuKeyEquivalent(*special);
    return keyToCharacter(m_carbonKeyCode);
}

std::optional<QKeySequence> Shortcut::toKeySequence() const
{
    int qtKey = 0;
    if (const auto special = specialKeyForKeyCode(m_carbonKeyCode)) {
        const auto equivalent = keyEquivalent(*special);
        if (!equivalent)
            return std::nullopt;
        qtKey = *equivalent;
    } else {
        const auto character = keyToCharacter(m_carbonKeyCode);
        if (!character)
            return std::nullopt;
        // Qt names a character key by its upper-case code point (Key_A is 'A', Key_Comma ',').
        QList<uint> upper = character->toUpper().toUcs4();
        if (upper.size() != 1)
            upper = character->toUcs4();
        qtKey = int(upper.value(0));
    }
    return QKeySequence(QKeyCombination(toEventModifiers(modifiers()), Qt::Key(qtKey)));
}

size_t qHash(const Shortcut &shortcut, size_t seed) noexcept
{
    return qHashMulti(seed, shortcut.carbonKeyCode(), shortcut.carbonModifiers());
}

} // namespace GlobalShortcuts
