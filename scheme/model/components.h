#pragma once

#include <QObject>
#include <QString>

#include "scheme/platform/export.h"

namespace scheme {

// Component references: the text "Owner.Name", the owner being the component's QObject
// parent and both names objectNames.
//
// The reference of a component. One without an owner is written by its own name alone; a
// null component gives an empty text.
SCHEME_EXPORT QString _get_name_for_component(const QObject* AComponent);

// The component a reference names, or nullptr; never raises. The text is split at its first
// full stop. The application's forms, then its data modules (component_roots.h), are searched
// for the first whose name is the owner's, letter case ignored; that root decides: the answer
// is its descendant of the component's name (direct children first, letter case ignored) or
// nothing. A text without a full stop names an owner-less root by its own name, as
// _get_name_for_component writes it. Empty names never match.
SCHEME_EXPORT QObject* _get_component_for_name(const QString& S);

}  // namespace scheme
