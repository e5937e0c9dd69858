#pragma once

// Rich-text documents as text, for comparing them in tests.

#include <QTextCharFormat>
#include <QTextDocument>

#include <string>

namespace testrich {

// One character format: face, size and the switched-on properties ("黑体 22 b fg#000000").
std::string describe(const QTextCharFormat& format);
// Per paragraph its alignment (L, R, C, J), its runs as "text"<format> and, after "|",
// the paragraph's own format; one line each.
std::string describe(const QTextDocument& doc);

} // namespace testrich
