// First run: the base schema of a new local database.
#include "app/first_run.h"

#include "platform/db/connection.h"

#include <QString>

void CreateBaseSchema(Connection &cn) { (void)cn; }

void CreateDefaultDatabase(const QString &path)
{
    Connection cn;
    cn.openFile(path, true);
    CreateBaseSchema(cn);
}
