// ClsAppname: the application's identity, with built-in defaults that appreadme.txt can override.
#pragma once

#include <QString>

class ClsAppname {
public:
    ClsAppname();  // the built-in defaults

    // Applies appreadme.txt from the program's folder when it exists: its lines 1 to 7 replace, in
    // order, the name, version, company, e-mail, telephone, address and home page, whole lines as
    // they stand (blank lines included). At most 13 lines are read; a missing or unreadable file
    // keeps the defaults.
    void GetAppInfo();

    QString strAppname() const { return m_fields[0]; }
    QString strAppVer() const { return m_fields[1]; }
    QString strCo() const { return m_fields[2]; }
    QString strEmail() const { return m_fields[3]; }
    QString strTel() const { return m_fields[4]; }
    QString strAdd() const { return m_fields[5]; }
    QString strHome() const { return m_fields[6]; }
    QString strCoE() const { return m_coE; }

    static constexpr int kMaxLines = 13;      // lines of the override file that are read
    static constexpr int kOverriddenFields = 7;

private:
    QString m_fields[kOverriddenFields];
    QString m_coE;
};
