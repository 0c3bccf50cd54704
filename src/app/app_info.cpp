// ClsAppname: defaults and the appreadme.txt override.
#include "app/app_info.h"

#include "platform/shell/shell.h"

#include <QFile>
#include <QTextStream>

ClsAppname::ClsAppname()
    : m_fields{QStringLiteral("澄川禾沐馆务"),
               QStringLiteral("V1.5"),
               QStringLiteral("澄川软件"),
               QStringLiteral("service@chengchuan-soft.example"),
               QStringLiteral("400-000-0000"),
               QStringLiteral("澄川软件客户服务部"),
               QStringLiteral("http://www.chengchuan-soft.example")},
      m_coE(QStringLiteral("QVM"))
{
}

void ClsAppname::GetAppInfo()
{
    QFile file(Shell::instance().programFolder() + QStringLiteral("/appreadme.txt"));
    if (!file.exists() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    // Text in the platform's default encoding (UTF-8 here). Lines past the 13th are ignored.
    QTextStream in(&file);
    for (int line = 0; line < kMaxLines && !in.atEnd(); ++line) {
        const QString text = in.readLine();
        if (line < kOverriddenFields)
            m_fields[line] = text;
    }
}
