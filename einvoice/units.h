#pragma once

#include <QString>

namespace einvoice {

// The UN/ECE recommendation 20 code for a unit as users type it ("st", "pcs", "h", "kg",
// "m2", ...), ignoring letter case and a trailing point; "C62" (one) for anything unknown,
// also for an empty unit.
QString unitCode(const QString& unit);

} // namespace einvoice
