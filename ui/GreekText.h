// The boundary between Qt's Unicode texts and the Windows-1253 bytes of the
// records and the header the core keeps. What the core says is UTF-8 and
// needs no crossing.
#pragma once

#include <QString>
#include <QValidator>
#include <optional>
#include <string>

namespace epinax::ui {

QString FromCp1253(const std::string& text);
// Nothing when the text holds a character that Windows-1253 cannot hold.
std::optional<std::string> ToCp1253(const QString& text);
// The one Windows-1253 byte of a typed character, when it has one.
std::optional<char> KeyToCp1253(QChar character);

// Refuses any text with a character outside Windows-1253, typed or pasted.
class TCp1253Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

}  // namespace epinax::ui
