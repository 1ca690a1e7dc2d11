#pragma once
// Limits what the operator types into an edit to a number of characters, as a window's text
// limit does: the program's own texts are not cut (a line edit's maximum length would).

#include <QValidator>

namespace zentor {

class TypingLimit : public QValidator {
public:
    TypingLimit(int characters, QObject* parent) : QValidator(parent), characters_(characters) {}
    State validate(QString& input, int&) const override { return input.size() > characters_ ? Invalid : Acceptable; }
    // A new limit for what is typed from now on; the text the edit holds stays as it is.
    void setCharacters(int characters) { characters_ = characters; }

private:
    int characters_;
};

}  // namespace zentor
