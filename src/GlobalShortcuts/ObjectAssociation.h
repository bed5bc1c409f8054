// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QVariant>

#include <optional>

namespace GlobalShortcuts {

// How an associated value is held. The numbers are the platform's association policies; in C++ a
// value is always copied onto the object (and lives as long as the object or until replaced), so
// the policy only records the intent of the association's owner.
enum class AssociationPolicy : unsigned {
    assign = 0,
    retainNonatomic = 1,
    copyNonatomic = 3,
    retain = 0x301,
    copy = 0x303,
};

// One association slot on every QObject: a value of type T stored on an object under this
// instance's own key, as a dynamic property. Only this instance writes under its key, so a value
// read back always has type T.
template <typename T> class ObjectAssociation final
{
public:
    explicit ObjectAssociation(AssociationPolicy policy = AssociationPolicy::retainNonatomic)
        : m_policy(policy), m_key("_GlobalShortcuts_association_" +
                                  QByteArray::number(reinterpret_cast<quintptr>(this), 16))
    {}
    ObjectAssociation(const ObjectAssociation &) = delete;
    ObjectAssociation &operator=(const ObjectAssociation &) = delete;

    AssociationPolicy policy() const { return m_policy; }

    std::optional<T> value(const QObject *object) const
    {
        const QVariant stored = object->property(m_key.constData());
        if (!stored.isValid())
            return std::nullopt;
        return stored.template value<T>();
    }

    // None removes the association.
    void setValue(QObject *object, const std::optional<T> &value)
    {
        object->setProperty(m_key.constData(), value ? QVariant::fromValue(*value) : QVariant());
    }

private:
    AssociationPolicy m_policy;
    QByteArray m_key;
};

} // namespace GlobalShortcuts
