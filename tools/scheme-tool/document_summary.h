#pragma once

#include <QString>

namespace scheme {
class TSchemeData;
}

// A short description of a document: its layers, its objects per kind, its links.
QString DocumentSummary(const scheme::TSchemeData& Data);
