#include "ui/GreekText.h"

#include "common/Cp1253.h"

namespace epinax::ui {

QString FromCp1253(const std::string& text)
{
    std::string utf8 = cp1253::ToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::optional<std::string> ToCp1253(const QString& text)
{
    QByteArray utf8 = text.toUtf8();
    return cp1253::FromUtf8(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

std::optional<char> KeyToCp1253(QChar character)
{
    auto byte = cp1253::FromUnicode(character.unicode());
    if (!byte) return std::nullopt;
    return static_cast<char>(*byte);
}

QValidator::State TCp1253Validator::validate(QString& input, int&) const
{
    for (QChar c : input)
        if (c.unicode() < 0x20) return Invalid;  // control characters have no place in a field
    return ToCp1253(input) ? Acceptable : Invalid;
}

}  // namespace epinax::ui
