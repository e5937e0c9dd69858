#include "RichTextSupport.h"

#include <QTextBlock>
#include <QTextFragment>

namespace testrich {

namespace {

QString faceOf(const QTextCharFormat& format) {
    const QStringList families = format.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.front();
}

} // namespace

std::string describe(const QTextCharFormat& f) {
    std::string s =
        faceOf(f).toStdString() + " " + QString::number(f.fontPointSize()).toStdString();
    if (f.fontWeight() >= QFont::DemiBold)
        s += " b";
    if (f.fontItalic())
        s += " i";
    if (f.fontUnderline())
        s += " u";
    if (f.fontStrikeOut())
        s += " s";
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        s += " sup";
    if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
        s += " sub";
    if (f.hasProperty(QTextFormat::ForegroundBrush))
        s += " fg" + f.foreground().color().name().toStdString();
    if (f.hasProperty(QTextFormat::BackgroundBrush))
        s += " bg" + f.background().color().name().toStdString();
    return s;
}

std::string describe(const QTextDocument& doc) {
    std::string out;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        switch (block.blockFormat().alignment() & Qt::AlignHorizontal_Mask) {
        case Qt::AlignRight:
            out += "R";
            break;
        case Qt::AlignHCenter:
            out += "C";
            break;
        case Qt::AlignJustify:
            out += "J";
            break;
        default:
            out += "L";
            break;
        }
        for (auto it = block.begin(); !it.atEnd(); ++it)
            out += " \"" + it.fragment().text().toStdString() + "\"<" +
                   describe(it.fragment().charFormat()) + ">";
        out += " |" + describe(block.charFormat()) + "\n";
    }
    return out;
}

} // namespace testrich
