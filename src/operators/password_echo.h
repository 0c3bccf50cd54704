// Password boxes of the operator windows: every character echoed as "*", whatever the style's own mark.
#pragma once

#include <QLineEdit>
#include <QProxyStyle>

namespace PasswordEcho {

class StarStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

inline void echoStars(QLineEdit *box)
{
    auto *style = new StarStyle;
    style->setParent(box);
    box->setStyle(style);
    box->setEchoMode(QLineEdit::Password);
}

} // namespace PasswordEcho
