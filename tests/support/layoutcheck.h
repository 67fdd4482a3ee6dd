#pragma once

#include "report/prepared.h"

#include <QStringList>

namespace report {
class Report;
}

// What is wrong with laid-out pages: texts of different elements drawn over one another, and
// texts outside the page's margins. Each text is measured again, not taken at the width the
// layout gave it. Empty when every text stands in its place.
QStringList textsOutOfPlace(const report::Report& report, const report::PreparedDocument& doc);
